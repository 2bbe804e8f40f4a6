// The gamepad layer against pads that live only inside SDL: the game's own
// readGamepad and setRumble run through SDL's real controller mapping, while
// the test presses the buttons, plugs the pads in and out and hears the rumble.
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

#include "platform/platform.hpp"
#include "platform/posix/gamepad.hpp"

namespace {

struct Rumble {
    std::uint16_t left;
    std::uint16_t right;
    bool operator==(const Rumble&) const = default;
};

// An Xbox-like controller that SDL maps as a game controller by itself. The
// test holds no handle on it: only the game opens it, so closing it, the
// game's own doing, is what a real pad would see.
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
        desc.name = "test pad";
        desc.userdata = this;
        desc.Update = onUpdate;
        desc.Rumble = onRumble;
        const int index = SDL_JoystickAttachVirtualEx(&desc);
        if (index < 0) {
            ADD_FAILURE() << "no virtual pad: " << SDL_GetError();
            return;
        }
        id_ = SDL_JoystickGetDeviceInstanceID(index);
        plugged_ = true;
        // SDL's own mapping tells which of the pad's buttons and axes is which.
        SDL_GameController* look = SDL_GameControllerOpen(index);
        if (look == nullptr) {
            ADD_FAILURE() << "SDL does not map the virtual pad: " << SDL_GetError();
            return;
        }
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            const auto bind = SDL_GameControllerGetBindForButton(look, static_cast<SDL_GameControllerButton>(b));
            buttonIndex_[b] = bind.bindType == SDL_CONTROLLER_BINDTYPE_BUTTON ? bind.value.button : -1;
        }
        SDL_GameControllerClose(look);
    }
    ~VirtualPad() { unplug(); }
    VirtualPad(const VirtualPad&) = delete;
    VirtualPad& operator=(const VirtualPad&) = delete;

    void press(SDL_GameControllerButton button) { hold(button, 1); }
    void release(SDL_GameControllerButton button) { hold(button, 0); }

    void unplug()
    {
        // Once SDL has quit, every virtual pad is gone with it.
        if (plugged_ && SDL_WasInit(SDL_INIT_JOYSTICK) != 0) {
            for (int i = 0; i < SDL_NumJoysticks(); ++i) {
                if (SDL_JoystickGetDeviceInstanceID(i) == id_) {
                    SDL_JoystickDetachVirtual(i);
                    break;
                }
            }
        }
        plugged_ = false;
    }

    const std::vector<Rumble>& rumbles() const { return rumbles_; }

private:
    // SDL asks for the pad's state whenever the game reads it.
    static void SDLCALL onUpdate(void* self)
    {
        const auto& pad = *static_cast<VirtualPad*>(self);
        SDL_Joystick* joystick = SDL_JoystickFromInstanceID(pad.id_);
        if (joystick == nullptr) {
            return;
        }
        for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
            if (pad.buttonIndex_[b] >= 0) {
                SDL_JoystickSetVirtualButton(joystick, pad.buttonIndex_[b], pad.held_[b]);
            }
        }
    }

    static int SDLCALL onRumble(void* self, Uint16 low, Uint16 high)
    {
        static_cast<VirtualPad*>(self)->rumbles_.push_back({low, high});
        return 0;
    }

    void hold(SDL_GameControllerButton button, Uint8 state)
    {
        ASSERT_GE(buttonIndex_[button], 0) << "button " << button << " is not mapped";
        held_[button] = state;
    }

    SDL_JoystickID id_ = -1;
    bool plugged_ = false;
    std::array<int, SDL_CONTROLLER_BUTTON_MAX> buttonIndex_{};
    std::array<Uint8, SDL_CONTROLLER_BUTTON_MAX> held_{};
    std::vector<Rumble> rumbles_;
};

constexpr std::uint16_t XboxOne = 0x02EA;
constexpr std::uint16_t Xbox360 = 0x028E;

class GamepadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The first read starts SDL the way the game does.
        firstRead = platform::readGamepad();
        ASSERT_NE(SDL_WasInit(SDL_INIT_GAMECONTROLLER), 0u) << SDL_GetError();
        // No virtual pad is plugged in yet, so anything SDL sees is hardware.
        if (SDL_NumJoysticks() > 0) {
            GTEST_SKIP() << "a real joystick is plugged into this machine";
        }
    }
    // Each test starts from a game that has not touched SDL yet.
    void TearDown() override { gamepad::shutdown(); }

    std::optional<std::uint16_t> firstRead;
};

// ---- The button word ----

struct ButtonBit {
    SDL_GameControllerButton button;
    std::uint16_t bit;
    const char* name;
};

class GamepadButtonWord : public GamepadTest, public ::testing::WithParamInterface<ButtonBit> {};

TEST_P(GamepadButtonWord, EachButtonSetsExactlyItsBit)
{
    VirtualPad pad(XboxOne);
    ASSERT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0));
    pad.press(GetParam().button);
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(GetParam().bit));
    // Held down, it keeps reading the same; let go, the word is clear again.
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(GetParam().bit));
    pad.release(GetParam().button);
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0));
}

const ButtonBit WordBits[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, 0x0001, "DpadUp"},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0x0002, "DpadDown"},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0x0004, "DpadLeft"},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0x0008, "DpadRight"},
    {SDL_CONTROLLER_BUTTON_START, 0x0010, "Start"},
    {SDL_CONTROLLER_BUTTON_BACK, 0x0020, "Back"},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0x0040, "LeftStick"},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 0x0080, "RightStick"},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0x0100, "LeftShoulder"},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0x0200, "RightShoulder"},
    {SDL_CONTROLLER_BUTTON_A, 0x1000, "A"},
    {SDL_CONTROLLER_BUTTON_B, 0x2000, "B"},
    {SDL_CONTROLLER_BUTTON_X, 0x4000, "X"},
    {SDL_CONTROLLER_BUTTON_Y, 0x8000, "Y"},
};

INSTANTIATE_TEST_SUITE_P(Buttons, GamepadButtonWord, ::testing::ValuesIn(WordBits),
                         [](const auto& info) { return std::string(info.param.name); });

using GamepadButtonCombinations = GamepadTest;

TEST_F(GamepadButtonCombinations, ButtonsHeldTogetherSetAllTheirBits)
{
    VirtualPad pad(XboxOne);
    pad.press(SDL_CONTROLLER_BUTTON_A);
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_UP);
    pad.press(SDL_CONTROLLER_BUTTON_DPAD_DOWN);
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0x1003));
    for (const ButtonBit& entry : WordBits) {
        pad.press(entry.button);
    }
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0xF3FF));
}

// ---- Plugging in and out ----

using GamepadPlugging = GamepadTest;

TEST_F(GamepadPlugging, PadPluggedInAfterStartIsFound)
{
    ASSERT_EQ(firstRead, std::nullopt);
    EXPECT_EQ(platform::readGamepad(), std::nullopt);
    VirtualPad pad(XboxOne);
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0));
    pad.press(SDL_CONTROLLER_BUTTON_A);
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0x1000));
}

TEST_F(GamepadPlugging, PadPulledOutWhileHeldGivesNoReading)
{
    {
        VirtualPad pad(XboxOne);
        pad.press(SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        ASSERT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0x0008));
        pad.unplug();
        EXPECT_EQ(platform::readGamepad(), std::nullopt);
        EXPECT_EQ(platform::readGamepad(), std::nullopt);
        // A rumble with no pad goes nowhere and harms nothing.
        platform::setRumble(65535, 65535);
        EXPECT_EQ(platform::readGamepad(), std::nullopt);
    }
    // Plugged back in, it reads again, with nothing held and no rumble left over.
    VirtualPad again(XboxOne);
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0));
    EXPECT_TRUE(again.rumbles().empty());
}

TEST_F(GamepadPlugging, OfTwoPadsTheFirstPluggedInIsRead)
{
    VirtualPad first(XboxOne);
    VirtualPad second(Xbox360);
    first.press(SDL_CONTROLLER_BUTTON_Y);
    second.press(SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0x8000));
    platform::setRumble(65535, 65535);
    EXPECT_EQ(first.rumbles(), (std::vector<Rumble>{{65535, 65535}}));
    EXPECT_TRUE(second.rumbles().empty());
}

TEST_F(GamepadPlugging, SecondPadTakesOverWhenTheFirstIsPulledOut)
{
    VirtualPad first(XboxOne);
    first.press(SDL_CONTROLLER_BUTTON_B);
    ASSERT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0x2000));

    // A second pad plugged in meanwhile does not take the first one's place.
    VirtualPad second(Xbox360);
    second.press(SDL_CONTROLLER_BUTTON_X);
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0x2000));

    first.unplug();
    EXPECT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0x4000));
    platform::setRumble(65535, 65535);
    EXPECT_EQ(second.rumbles(), (std::vector<Rumble>{{65535, 65535}}));
    EXPECT_TRUE(first.rumbles().empty());
}

// ---- Rumble ----

using GamepadRumble = GamepadTest;

TEST_F(GamepadRumble, RequestsReachThePadUntilStoppedOrTheGameEnds)
{
    VirtualPad pad(XboxOne);
    ASSERT_EQ(platform::readGamepad(), std::optional<std::uint16_t>(0));
    platform::setRumble(65535, 65535);
    // Reading the pad meanwhile neither repeats nor cuts the rumble.
    for (int i = 0; i < 20; ++i) {
        platform::readGamepad();
    }
    platform::setRumble(0, 0);
    // The left motor is the heavy, low one; they are never swapped.
    platform::setRumble(0x4000, 0xC000);
    gamepad::shutdown();
    EXPECT_EQ(pad.rumbles(), (std::vector<Rumble>{{65535, 65535}, {0, 0}, {0x4000, 0xC000}, {0, 0}}));
}

}  // namespace
