#include "tests/support/console.hpp"

#include <deque>
#include <map>
#include <memory>
#include <utility>

#include "platform/encoder.hpp"
#include "platform/platform.hpp"

#ifdef QUILLONEX_NO_SCREEN
// The Windows build of the tests has no libvterm: its screens take the output in and show nothing.
Screen::Screen(int, int) : vt_(nullptr), columns_(0), lines_(0) {}
Screen::~Screen() = default;
void Screen::feed(std::string_view) {}
void Screen::resize(int, int) {}
#endif

namespace testconsole {

namespace {

// A script step: its action when it has one, else a code as typeScript takes it.
struct Step {
    int code;
    std::function<void()> action;
};

struct State {
    int columns = 120, lines = 40;
    std::deque<Step> script;
    // While an action runs, what it adds to the script goes where it stood.
    std::optional<std::size_t> insertAt;
    std::map<std::string, std::string, std::less<>> environment;
    // As the Windows console encodes them unless a test asks for a POSIX terminal's lean colour changes.
    encoder::Output writer{.cellByCell = true};
    std::int64_t clockMs = 0, calendarSeconds = 1'700'000'000;
    Recorded recorded;
    bool changed = false;
    // Bytes written and not yet shown on the terminal.
    std::string unshown;
    std::function<void(std::int32_t)> pauseHook;
    std::function<bool(const std::string&)> diskFlushHook;
};

State st;

std::unique_ptr<Screen> heldScreen = std::make_unique<Screen>(120, 40);
std::unique_ptr<Screen> heldTerminal = std::make_unique<Screen>(120, 40);

// The written bytes reach the terminal; `event`, when given, goes on the timeline.
void flush(std::string event = {})
{
    heldTerminal->feed(st.unshown);
    st.unshown.clear();
    if (!event.empty()) {
        st.recorded.timeline.push_back(std::move(event));
    }
}

void write(std::string_view bytes)
{
    st.recorded.output += bytes;
    // The bytes as the tty hands them on: its output processing (ONLCR) sends a line feed as CR LF.
    std::string tty;
    for (const char c : bytes) {
        tty += c == '\n' ? "\r\n" : std::string_view(&c, 1);
    }
    heldScreen->feed(tty);
    st.unshown += tty;
}

// Writes the bytes an encoder function appends for the arguments.
template <typename Append, typename... Arguments>
void writeEncoded(Append append, const Arguments&... arguments)
{
    std::string bytes;
    append(st.writer, arguments..., bytes);
    write(bytes);
}

void add(Step step)
{
    const auto at = st.insertAt ? st.script.begin() + static_cast<std::ptrdiff_t>((*st.insertAt)++) : st.script.end();
    st.script.insert(at, std::move(step));
}

// Runs the actions at the front of the script, then gives the next step (a key or a pad read), or nothing.
const Step* nextStep()
{
    while (!st.script.empty() && st.script.front().action) {
        const std::function<void()> action = std::move(st.script.front().action);
        st.script.pop_front();
        st.insertAt = 0;
        action();
        st.insertAt.reset();
    }
    return st.script.empty() ? nullptr : &st.script.front();
}

bool isKey(const Step* step) { return step && step->code >= 0 && step->code < Pad(0); }

int takeStep()
{
    const int code = st.script.front().code;
    st.script.pop_front();
    return code;
}

}  // namespace

void reset(int columns, int lines)
{
    st = State{};
    st.columns = columns;
    st.lines = lines;
    heldScreen = std::make_unique<Screen>(columns, lines);
    heldTerminal = std::make_unique<Screen>(columns, lines);
}

void encodeAs(std::optional<colours::Depth> depth)
{
    st.writer.depth = depth.value_or(st.writer.depth);
    st.writer.cellByCell = !depth;
}

void resize(int columns, int lines)
{
    st.columns = columns;
    st.lines = lines;
    st.changed = true;
    heldScreen->resize(columns, lines);
    heldTerminal->resize(columns, lines);
}

void typeText(std::string_view text)
{
    for (const char c : text) {
        add({static_cast<unsigned char>(c), {}});
    }
}

void scriptAction(std::function<void()> action) { add({0, std::move(action)}); }
bool scriptDone() { return st.script.empty(); }

Screen& screen() { return *heldScreen; }
const Screen& terminal() { return *heldTerminal; }
const Recorded& recorded() { return st.recorded; }
void setEnvironment(const std::string& name, const std::string& value) { st.environment[name] = value; }
void onPause(std::function<void(std::int32_t)> hook) { st.pauseHook = std::move(hook); }
void setCalendarSeconds(std::int64_t seconds) { st.calendarSeconds = seconds; }
void onDiskFlush(std::function<bool(const std::string&)> hook) { st.diskFlushHook = std::move(hook); }

}  // namespace testconsole

void typeScript(const std::vector<int>& steps)
{
    for (const int step : steps) {
        testconsole::add({step, {}});
    }
}

// The platform functions, as the game sees them.
namespace platform {

using testconsole::st;

void chooseColours(std::optional<colours::Palette> palette)
{
    st.writer.palette = palette.value_or(colours::Palette::Classic);
}
bool openConsole() { return st.recorded.consoleOpen = true; }
void closeConsole()
{
    testconsole::flush();
    st.recorded.consoleOpen = false;
}

void printText(std::wstring_view wide) { testconsole::writeEncoded(encoder::appendText, wide); }
void printCell(Cell cell) { testconsole::writeEncoded(encoder::appendCell, cell); }

void writeStandardOutput(std::string_view narrow) { st.recorded.standardOutput += narrow; }
void writeStandardError(std::string_view narrow) { st.recorded.standardError += narrow; }

std::string environmentVariable(const char* name)
{
    const auto found = st.environment.find(name);
    return found != st.environment.end() ? found->second : "";
}

void moveCursor(std::int16_t x, std::int16_t y) { testconsole::writeEncoded(encoder::appendPlacement, x, y); }

void showOutput() { testconsole::flush("show"); }
void clearScreen() { testconsole::writeEncoded(encoder::appendClear); }
void showCursor(bool visible) { testconsole::write(visible ? "\x1b[?25h" : "\x1b[?25l"); }
bool keyWaiting()
{
    testconsole::flush();
    return testconsole::isKey(testconsole::nextStep());
}

int readKey()
{
    if (!keyWaiting()) {
        throw std::logic_error("a key was read while none was waiting");
    }
    const int code = testconsole::takeStep();
    st.recorded.timeline.push_back("key " + std::to_string(code));
    return code;
}

std::optional<std::uint16_t> readGamepad()
{
    const testconsole::Step* step = testconsole::nextStep();
    if (!step) {
        throw testconsole::ScriptExhausted();
    }
    if (testconsole::isKey(step)) {
        throw std::logic_error("the gamepad was read while a key was waiting");
    }
    const int code = testconsole::takeStep();
    st.recorded.timeline.emplace_back("pad");
    return code == NoPad ? std::nullopt : std::optional(static_cast<std::uint16_t>(code - Pad(0)));
}

void setRumble(std::uint16_t left, std::uint16_t right) { st.recorded.rumbles.push_back({left, right, st.clockMs}); }

void pause(std::int32_t milliseconds)
{
    testconsole::flush("pause " + std::to_string(milliseconds));
    if (st.pauseHook) {
        st.pauseHook(milliseconds);
    }
    st.clockMs += milliseconds;
}

void idle() { testconsole::flush("idle"); }
std::int64_t calendarSeconds() { return st.calendarSeconds; }
std::optional<ConsoleSize> consoleSize() { return ConsoleSize{st.columns, st.lines}; }
bool takeConsoleChange() { return std::exchange(st.changed, false); }
bool flushNewFile(const NewFile& file) { return flushFileToDisk(file.name.c_str()); }
bool flushFileToDisk(const char* path) { return !st.diskFlushHook || st.diskFlushHook(path); }
void holdInterrupts() { ++st.recorded.interruptsHeld; }
void releaseInterrupts() { --st.recorded.interruptsHeld; }

}  // namespace platform
