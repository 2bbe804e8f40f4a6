// The gamepad layer against pads that live only inside SDL, through SDL's real controller mapping.
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "platform/platform.hpp"
#include "platform/posix/gamepad.hpp"

namespace {

using Rumbles = std::vector<std::pair<int, int>>;
using Word = std::optional<std::uint16_t>;

// An Xbox-like controller that SDL maps by itself; only the game opens it.
struct VirtualPad {
    explicit VirtualPad(std::uint16_t product)
    {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.vendor_id = 0x045E;
        desc.product_id = product;
        desc.userdata = this;
        // SDL asks for the pad's state whenever the game reads it; it turns down an unbound button's -1.
        desc.Update = [](void* self) {
            const auto* pad = static_cast<VirtualPad*>(self);
            for (std::size_t b = 0; b < pad->button.size(); ++b) {
                SDL_JoystickSetVirtualButton(SDL_JoystickFromInstanceID(pad->id), pad->button[b], pad->held[b]);
            }
        };
        desc.Rumble = [](void* self, Uint16 low, Uint16 high) {
            return static_cast<VirtualPad*>(self)->rumbles.emplace_back(low, high), 0;
        };
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        id = SDL_JoystickGetDeviceInstanceID(index);
        // SDL's own mapping tells which of the pad's buttons is which.
        SDL_GameController* look = SDL_GameControllerOpen(index);
        EXPECT_NE(look, nullptr) << SDL_GetError();
        for (int b = 0; look != nullptr && b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            const auto bind = SDL_GameControllerGetBindForButton(look, static_cast<SDL_GameControllerButton>(b));
            button[b] = bind.bindType == SDL_CONTROLLER_BINDTYPE_BUTTON ? bind.value.button : -1;
        }
        SDL_GameControllerClose(look);
    }
    void unplug() const
    {
        for (int i = 0; i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id) {
                SDL_JoystickDetachVirtual(i);
            }
        }
    }
    SDL_JoystickID id = -1;
    std::array<int, SDL_CONTROLLER_BUTTON_MAX> button{};
    std::array<Uint8, SDL_CONTROLLER_BUTTON_MAX> held{};
    Rumbles rumbles;
};

// Pads plugged in and out of a game that starts SDL on its first read: every button, the first pad, its rumble.
TEST(Gamepad, ReadsAndRumblesTheFirstPadPluggedInUntilItIsPulledOut)
{
    ASSERT_EQ(platform::readGamepad(), std::nullopt);
    ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u) << SDL_GetError();
    if (SDL_NumJoysticks() > 0) {
        GTEST_SKIP() << "a real joystick is plugged into this machine";
    }
    // Held alone, each button gives its own bit and no other; all held, all of them. In SDL's order A, B, X, Y, Back,
    // Guide (none), Start, the sticks, the shoulders, the pad's Up, Down, Left and Right, and the rest none.
    const std::uint16_t bits[SDL_CONTROLLER_BUTTON_MAX] = {0x1000, 0x2000, 0x4000, 0x8000, 0x0020,
                                                           0,      0x0010, 0x0040, 0x0080, 0x0100,
                                                           0x0200, 0x0001, 0x0002, 0x0004, 0x0008};
    VirtualPad first(0x02EA);
    std::uint16_t word = 0;
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
        first.held = {};
        first.held[b] = 1;
        word = static_cast<std::uint16_t>(word | bits[b]);
        ASSERT_EQ(platform::readGamepad(), Word(bits[b])) << b;
    }
    first.held.fill(1);
    EXPECT_EQ(platform::readGamepad(), Word(word));
    first.held = {};
    first.held[SDL_CONTROLLER_BUTTON_B] = 1;
    EXPECT_EQ(platform::readGamepad(), Word(0x2000));
    VirtualPad second(0x028E);
    second.held[SDL_CONTROLLER_BUTTON_X] = 1;
    EXPECT_EQ(platform::readGamepad(), Word(0x2000));
    platform::setRumble(65535, 65535);
    EXPECT_EQ(first.rumbles, (Rumbles{{65535, 65535}}));
    first.unplug();
    EXPECT_EQ(platform::readGamepad(), Word(0x4000));
    second.unplug();
    EXPECT_EQ(platform::readGamepad(), std::nullopt);
    // A rumble with no pad goes nowhere; two plugged in at once, the first is read, nothing held or rumbling.
    platform::setRumble(65535, 65535);
    VirtualPad again(0x02EA);
    VirtualPad beside(0x028E);
    beside.held[SDL_CONTROLLER_BUTTON_X] = 1;
    EXPECT_EQ(platform::readGamepad(), Word(0));
    EXPECT_TRUE(again.rumbles.empty() && second.rumbles.empty());
    // Reading meanwhile, the other pad pulled out, neither repeats nor cuts a rumble; the left motor is the
    // heavy one; the end stops it.
    platform::setRumble(0x4000, 0xC000);
    beside.unplug();
    platform::readGamepad();
    EXPECT_EQ(again.rumbles, (Rumbles{{0x4000, 0xC000}}));
    platform::setRumble(0, 0);
    platform::setRumble(65535, 65535);
    gamepad::shutdown();
    EXPECT_EQ(again.rumbles, (Rumbles{{0x4000, 0xC000}, {0, 0}, {65535, 65535}, {0, 0}}));
}

}  // namespace
