#include "tests/support/console.hpp"

#include <deque>
#include <memory>
#include <utility>
#include <variant>

#include "platform/platform.hpp"
#include "platform/text.hpp"

namespace testconsole {

namespace {

struct KeyStep {
    int code;
};
struct PadStep {
    std::optional<std::uint16_t> word;
};
struct ActionStep {
    std::function<void()> action;
};
using Step = std::variant<KeyStep, PadStep, ActionStep>;

struct State {
    int columns = 120;
    int lines = 40;
    std::deque<Step> script;
    // While an action runs, what it adds to the script goes where it stood.
    std::optional<std::size_t> insertAt;
    std::string output;
    std::string narrow;
    std::vector<std::int32_t> pauses;
    std::int64_t clockMs = 0;
    std::vector<RumbleRequest> rumbles;
    bool open = false;
    bool failOpen = false;
    bool changed = false;
    std::int64_t calendarSeconds = 1'700'000'000;
    std::function<void(std::int32_t)> pauseHook;
    int interruptsHeld = 0;
    bool diskFlushFails = false;
    std::function<bool(const std::string&)> diskFlushHook;
};

State& state()
{
    static State s;
    return s;
}

#ifdef QUILLONEX_NO_SCREEN
// The Windows build of the tests has no terminal emulator: there the output
// is only recorded, for the suites that read no screen.
void newScreen() {}
void feedScreen(std::string_view /*bytes*/) {}
void resizeScreen() {}
#else
std::unique_ptr<Screen> heldScreen = std::make_unique<Screen>(120, 40);

void newScreen() { heldScreen = std::make_unique<Screen>(state().columns, state().lines); }

// The bytes as the tty hands them on: its output processing (ONLCR) sends a
// line feed as CR LF.
void feedScreen(std::string_view bytes)
{
    std::string tty;
    for (const char c : bytes) {
        tty += c == '\n' ? "\r\n" : std::string_view(&c, 1);
    }
    heldScreen->feed(tty);
}

void resizeScreen() { heldScreen->resize(state().columns, state().lines); }
#endif

void write(std::string_view bytes)
{
    state().output += bytes;
    feedScreen(bytes);
}

void add(Step step)
{
    auto& s = state();
    const auto at = s.insertAt ? s.script.begin() + static_cast<std::ptrdiff_t>((*s.insertAt)++) : s.script.end();
    s.script.insert(at, std::move(step));
}

// Runs the actions at the front of the script, so the next step is a key or a
// pad read (or nothing).
void runActions()
{
    auto& script = state().script;
    while (!script.empty() && std::holds_alternative<ActionStep>(script.front())) {
        const std::function<void()> action = std::move(std::get<ActionStep>(script.front()).action);
        script.pop_front();
        state().insertAt = 0;
        action();
        state().insertAt.reset();
    }
}

}  // namespace

void reset(int columns, int lines)
{
    state() = State{};
    state().columns = columns;
    state().lines = lines;
    newScreen();
}

void typeKeys(std::initializer_list<int> codes)
{
    for (const int code : codes) {
        add(KeyStep{code});
    }
}

void typeText(std::string_view text)
{
    for (const char c : text) {
        add(KeyStep{static_cast<unsigned char>(c)});
    }
}

void padReads(std::uint16_t word, int count)
{
    for (int i = 0; i < count; ++i) {
        add(PadStep{word});
    }
}

void noPadReads(int count)
{
    for (int i = 0; i < count; ++i) {
        add(PadStep{std::nullopt});
    }
}

void scriptAction(std::function<void()> action) { add(ActionStep{std::move(action)}); }
bool scriptDone() { return state().script.empty(); }

void resizeConsole(int columns, int lines)
{
    state().columns = columns;
    state().lines = lines;
    state().changed = true;
    resizeScreen();
}

#ifndef QUILLONEX_NO_SCREEN
Screen& screen() { return *heldScreen; }
#endif
const std::string& output() { return state().output; }
const std::string& narrowOutput() { return state().narrow; }
const std::vector<std::int32_t>& pauses() { return state().pauses; }
std::int64_t clockMs() { return state().clockMs; }
const std::vector<RumbleRequest>& rumbles() { return state().rumbles; }
bool consoleIsOpen() { return state().open; }
void onPause(std::function<void(std::int32_t)> hook) { state().pauseHook = std::move(hook); }
void setCalendarSeconds(std::int64_t seconds) { state().calendarSeconds = seconds; }
void failOpen(bool fail) { state().failOpen = fail; }
int interruptsHeld() { return state().interruptsHeld; }
void failDiskFlush(bool fail) { state().diskFlushFails = fail; }
void onDiskFlush(std::function<bool(const std::string&)> hook) { state().diskFlushHook = std::move(hook); }

}  // namespace testconsole

// The platform functions, as the game sees them.
namespace platform {

using testconsole::state;

bool openConsole() { return state().open = !state().failOpen; }

void closeConsole()
{
    state().open = false;
}

void printText(std::wstring_view wide)
{
    std::string bytes;
    text::appendUtf8(bytes, wide);
    testconsole::write(bytes);
}

void printLevelHeader(std::int32_t level) { testconsole::write("Level " + std::to_string(level) + "\n\n"); }

void printNarrow(std::string_view narrow)
{
    state().narrow += narrow;
    testconsole::write(narrow);
}

void moveCursor(std::int16_t x, std::int16_t y)
{
    std::string bytes;
    text::appendCursorMove(bytes, x, y);
    testconsole::write(bytes);
}

void showOutput() {}
void clearScreen() { testconsole::write(text::ClearScreen); }

bool keyWaiting()
{
    testconsole::runActions();
    const auto& script = state().script;
    return !script.empty() && std::holds_alternative<testconsole::KeyStep>(script.front());
}

int readKey()
{
    if (!keyWaiting()) {
        throw std::logic_error("a key was read while none was waiting");
    }
    const int code = std::get<testconsole::KeyStep>(state().script.front()).code;
    state().script.pop_front();
    return code;
}

std::optional<std::uint16_t> readGamepad()
{
    testconsole::runActions();
    auto& script = state().script;
    if (script.empty()) {
        throw testconsole::ScriptExhausted();
    }
    if (!std::holds_alternative<testconsole::PadStep>(script.front())) {
        throw std::logic_error("the gamepad was read while a key was waiting");
    }
    const std::optional<std::uint16_t> word = std::get<testconsole::PadStep>(script.front()).word;
    script.pop_front();
    return word;
}

void setRumble(std::uint16_t left, std::uint16_t right) { state().rumbles.push_back({left, right, state().clockMs}); }

void pause(std::int32_t milliseconds)
{
    if (state().pauseHook) {
        state().pauseHook(milliseconds);
    }
    state().pauses.push_back(milliseconds);
    state().clockMs += milliseconds;
}

void idle() {}
std::int64_t calendarSeconds() { return state().calendarSeconds; }
std::optional<ConsoleSize> consoleSize() { return ConsoleSize{state().columns, state().lines}; }
bool consoleChanged() { return std::exchange(state().changed, false); }

bool flushNewFile(const NewFile& file)
{
    return flushFileToDisk(file.name.c_str());
}

bool flushFileToDisk(const char* path)
{
    if (state().diskFlushHook && !state().diskFlushHook(path)) {
        return false;
    }
    return !state().diskFlushFails;
}

void holdInterrupts() { ++state().interruptsHeld; }
void releaseInterrupts() { --state().interruptsHeld; }

}  // namespace platform
