// The gamepad layer against pads that live only inside SDL: the game's own
// readGamepad and setRumble run through SDL's real controller mapping.
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
class VirtualPad {
public:
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
        // SDL asks for the pad's state whenever the game reads it.
        desc.Update = [](void* self) {
            const auto& pad = *static_cast<VirtualPad*>(self);
            for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX && pad.index_[b] >= 0; ++b) {
                SDL_JoystickSetVirtualButton(SDL_JoystickFromInstanceID(pad.id_), pad.index_[b], pad.held_[b]);
            }
        };
        desc.Rumble = [](void* self, Uint16 low, Uint16 high) {
            return static_cast<VirtualPad*>(self)->rumbles.emplace_back(low, high), 0;
        };
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        id_ = SDL_JoystickGetDeviceInstanceID(index);
        // SDL's own mapping tells which of the pad's buttons is which.
        SDL_GameController* look = SDL_GameControllerOpen(index);
        for (int b = 0; look != nullptr && b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            const auto bind = SDL_GameControllerGetBindForButton(look, static_cast<SDL_GameControllerButton>(b));
            index_[b] = bind.bindType == SDL_CONTROLLER_BINDTYPE_BUTTON ? bind.value.button : -1;
        }
        EXPECT_NE(look, nullptr) << SDL_GetError();
        SDL_GameControllerClose(look);
    }
    ~VirtualPad() { unplug(); }
    void hold(SDL_GameControllerButton button, bool down = true) { held_[button] = down ? 1 : 0; }
    void unplug()
    {
        for (int i = 0; SDL_WasInit(SDL_INIT_JOYSTICK) != 0 && i < SDL_NumJoysticks(); ++i) {
            if (SDL_JoystickGetDeviceInstanceID(i) == id_) {
                SDL_JoystickDetachVirtual(i);
            }
        }
    }
    Rumbles rumbles;

private:
    SDL_JoystickID id_ = -1;
    std::array<int, SDL_CONTROLLER_BUTTON_MAX> index_{};
    std::array<Uint8, SDL_CONTROLLER_BUTTON_MAX> held_{};
};

// Each test starts from a game that has not touched SDL; its first read starts SDL.
class Gamepad : public ::testing::Test {
protected:
    void SetUp() override
    {
        const Word first = platform::readGamepad();
        ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u) << SDL_GetError();
        if (SDL_NumJoysticks() > 0) {
            GTEST_SKIP() << "a real joystick is plugged into this machine";
        }
        ASSERT_EQ(first, std::nullopt);
    }
    void TearDown() override { gamepad::shutdown(); }
};

TEST_F(Gamepad, EachButtonSetsExactlyItsBitWhileHeld)
{
    const std::pair<SDL_GameControllerButton, int> bits[] = {
        {SDL_CONTROLLER_BUTTON_DPAD_UP, 0x0001}, {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0x0002},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0x0004}, {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0x0008},
        {SDL_CONTROLLER_BUTTON_START, 0x0010}, {SDL_CONTROLLER_BUTTON_BACK, 0x0020},
        {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0x0040}, {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 0x0080},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0x0100}, {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0x0200},
        {SDL_CONTROLLER_BUTTON_A, 0x1000}, {SDL_CONTROLLER_BUTTON_B, 0x2000},
        {SDL_CONTROLLER_BUTTON_X, 0x4000}, {SDL_CONTROLLER_BUTTON_Y, 0x8000}};
    VirtualPad pad(0x02EA);
    for (const auto& [button, bit] : bits) {
        ASSERT_EQ(platform::readGamepad(), Word(0)) << bit;
        pad.hold(button);
        EXPECT_EQ(platform::readGamepad(), Word(bit));
        EXPECT_EQ(platform::readGamepad(), Word(bit));
        pad.hold(button, false);
    }
    for (const auto& [button, bit] : bits) {
        pad.hold(button);
    }
    EXPECT_EQ(platform::readGamepad(), Word(0xF3FF));
}

TEST_F(Gamepad, TheFirstPadPluggedInIsReadAndRumbledUntilItIsPulledOut)
{
    std::optional<VirtualPad> first(std::in_place, 0x02EA);
    first->hold(SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(platform::readGamepad(), Word(0x2000));
    VirtualPad second(0x028E);
    second.hold(SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(platform::readGamepad(), Word(0x2000));
    platform::setRumble(65535, 65535);
    EXPECT_EQ(first->rumbles, (Rumbles{{65535, 65535}}));
    first.reset();
    EXPECT_EQ(platform::readGamepad(), Word(0x4000));
    second.unplug();
    EXPECT_EQ(platform::readGamepad(), std::nullopt);
    // A rumble with no pad goes nowhere; plugged back in, nothing is held or rumbling.
    platform::setRumble(65535, 65535);
    VirtualPad again(0x02EA);
    EXPECT_EQ(platform::readGamepad(), Word(0));
    EXPECT_TRUE(again.rumbles.empty() && second.rumbles.empty());
    // Reading meanwhile neither repeats nor cuts a rumble; the left motor is the
    // heavy one; the game's end stops it.
    platform::setRumble(0x4000, 0xC000);
    platform::readGamepad();
    platform::setRumble(0, 0);
    platform::setRumble(65535, 65535);
    gamepad::shutdown();
    EXPECT_EQ(again.rumbles, (Rumbles{{0x4000, 0xC000}, {0, 0}, {65535, 65535}, {0, 0}}));
}

}  // namespace
