// What a user sees while dragging a bar, read from the X screen itself: a
// native X client, since only the X server shows what Wine really drew.
// It presses the button at a point (xdotool), moves the pointer STEPS times
// by DY pixels (the X server's own pointer warp, which clients see as a
// hand's motion), one step every 50 ms (a hand's steady drag), reading the
// client area of "Split" all the while. The panes are drawn when the share
// of the host's own grey is no more than it was at rest; a step's time runs
// until they are drawn again after the last read that found them missing.
// Every read counts as a sample, and one with more than 5% of the area
// grey is one the user saw undrawn.
// Usage: drag_view X Y STEPS DY LEFT TOP WIDTH HEIGHT GREY(hex RRGGBB)
// Prints: steps median_ms worst_ms samples undrawn_samples
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr double kUndrawnShare = 0.05;
constexpr double kSettledMargin = 0.005;  // above the share at rest
constexpr double kGiveUpMs = 2000.0;
constexpr double kStepMs = 50.0;  // a hand's steady pace: 20 steps a second

struct Area {
    int left, top, width, height;
};

double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

bool attach_failed = false;

int note_failure(Display*, XErrorEvent*) {
    attach_failed = true;
    return 0;
}

// The screen's pixels of the area, through shared memory where the server
// offers it (a read then takes a millisecond or two), else over the wire.
struct Reader {
    Display* display;
    Area area;
    XImage* shared = nullptr;
    XShmSegmentInfo segment{};

    Reader(Display* d, const Area& a) : display(d), area(a) {
        if (!XShmQueryExtension(display)) return;
        shared = XShmCreateImage(display, DefaultVisual(display, DefaultScreen(display)),
                                 static_cast<unsigned>(DefaultDepth(display, DefaultScreen(display))), ZPixmap,
                                 nullptr, &segment, static_cast<unsigned>(area.width),
                                 static_cast<unsigned>(area.height));
        if (!shared) return;
        segment.shmid = shmget(IPC_PRIVATE, static_cast<size_t>(shared->bytes_per_line) * shared->height,
                               IPC_CREAT | 0600);
        segment.shmaddr = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
        segment.readOnly = False;
        shmctl(segment.shmid, IPC_RMID, nullptr);  // gone once both sides let go
        attach_failed = false;
        XErrorHandler previous = XSetErrorHandler(note_failure);
        const bool attached = segment.shmaddr != reinterpret_cast<char*>(-1) && XShmAttach(display, &segment);
        XSync(display, False);
        XSetErrorHandler(previous);
        if (attached && !attach_failed) {
            shared->data = segment.shmaddr;
            return;
        }
        XDestroyImage(shared);  // no data of its own yet
        shared = nullptr;
        if (segment.shmaddr != reinterpret_cast<char*>(-1)) shmdt(segment.shmaddr);
    }
    ~Reader() {
        if (!shared) return;
        XShmDetach(display, &segment);
        shared->data = nullptr;  // the segment is not the image's to free
        XDestroyImage(shared);
        shmdt(segment.shmaddr);
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // The caller destroys the image unless it is the shared one.
    XImage* read() {
        if (shared && XShmGetImage(display, DefaultRootWindow(display), shared, area.left, area.top, AllPlanes))
            return shared;
        return XGetImage(display, DefaultRootWindow(display), area.left, area.top,
                         static_cast<unsigned>(area.width), static_cast<unsigned>(area.height), AllPlanes,
                         ZPixmap);
    }
};

double grey_share(Reader& reader, unsigned long grey) {
    const Area& area = reader.area;
    XImage* image = reader.read();
    if (!image) return 1.0;
    long count = 0;
    for (int y = 0; y < area.height; ++y) {
        if (image->bits_per_pixel == 32) {  // the usual 24-bit visual: read the row itself
            const auto* row = reinterpret_cast<const unsigned*>(image->data + y * image->bytes_per_line);
            for (int x = 0; x < area.width; ++x) count += (row[x] & 0xFFFFFF) == grey;
        } else {
            for (int x = 0; x < area.width; ++x) count += (XGetPixel(image, x, y) & 0xFFFFFF) == grey;
        }
    }
    if (image != reader.shared) XDestroyImage(image);
    return static_cast<double>(count) / (static_cast<double>(area.width) * area.height);
}

void move_to(Display* display, int x, int y) {
    XWarpPointer(display, None, DefaultRootWindow(display), 0, 0, 0, 0, x, y);
    XSync(display, False);
}

// The button, through xdotool: one press and one release, outside the timing.
bool button(const char* action, int x, int y) {
    const std::string command = "xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) +
                                " " + action + " 1";
    return std::system(command.c_str()) == 0;
}

struct Figures {
    std::vector<double> times;
    long samples = 0, undrawn = 0;
};

Figures drag_and_read(Display* display, int x, int y, int steps, int dy, const Area& area,
                      unsigned long grey) {
    Figures figures;
    Reader reader(display, area);
    const double at_rest = grey_share(reader, grey);
    if (!button("mousedown", x, y)) return figures;
    for (int step = 1; step <= steps; ++step) {
        move_to(display, x, y + step * dy);
        // The step's time: until the panes show again after the last time
        // they did not; none if the screen never showed them missing.
        const double started = now_ms();
        double drawn_after = 0.0;
        bool missing = false;
        while (now_ms() - started < kStepMs || (missing && now_ms() - started < kGiveUpMs)) {
            const double share = grey_share(reader, grey);
            ++figures.samples;
            figures.undrawn += share > kUndrawnShare;
            const bool drawn = share <= at_rest + kSettledMargin;
            if (missing && drawn) drawn_after = now_ms() - started;
            missing = !drawn;
        }
        figures.times.push_back(missing ? kGiveUpMs : drawn_after);
    }
    button("mouseup", x, y + steps * dy);
    return figures;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 10) {
        std::fputs("usage: drag_view X Y STEPS DY LEFT TOP WIDTH HEIGHT GREY\n", stderr);
        return 2;
    }
    const Area area{std::atoi(argv[5]), std::atoi(argv[6]), std::atoi(argv[7]), std::atoi(argv[8])};
    Display* display = XOpenDisplay(nullptr);
    if (!display || area.width <= 0 || area.height <= 0) return 2;
    Figures figures = drag_and_read(display, std::atoi(argv[1]), std::atoi(argv[2]), std::atoi(argv[3]),
                                    std::atoi(argv[4]), area, std::strtoul(argv[9], nullptr, 16));
    XCloseDisplay(display);
    std::vector<double>& times = figures.times;
    if (times.empty()) return 2;
    std::sort(times.begin(), times.end());
    std::printf("%zu %.1f %.1f %ld %ld\n", times.size(), times[times.size() / 2], times.back(), figures.samples,
                figures.undrawn);
    return 0;
}
