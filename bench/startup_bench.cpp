// Prints how long Kelvaro takes from exec to its first frame on screen, next to a bare Qt
// window covering the screen (bare_window), the same window with a line of large text, and
// with that line in the face Kelvaro's display draws with on Debian (fonts-noto-cjk, which the
// package depends on), in the same run, alternating, 15 runs each. The last is the least any
// window showing Kelvaro's first line must do. A frame counts once the new top-level window's
// pixels differ from what the X server gave it when it was mapped. Another build of Kelvaro,
// given as the argument, is measured in the same run too.
// Run it on a display of its own with a sound server and, as on a desktop, a session bus (without
// one, the first accessible name makes Qt try to launch a bus, which no desktop pays), e.g.:
//   xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session --
//       build/ci/bench/startup_bench [OTHER-KELVARO]
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QByteArray centre(xcb_connection_t* x, xcb_window_t window)
{
    xcb_get_image_reply_t* image = xcb_get_image_reply(
        x, xcb_get_image(x, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0, 0, 200, 200, ~0U), nullptr);
    if (!image)
        return {};
    const QByteArray pixels(
        reinterpret_cast<const char*>(xcb_get_image_data(image)), xcb_get_image_data_length(image));
    free(image);
    return pixels;
}

// Milliseconds from exec to the first frame of the first top-level window mapped; -1 if none
// within 10 s.
double firstFrame(xcb_connection_t* x, const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const Clock::time_point started = Clock::now();
    process.start(program, arguments);
    xcb_window_t window = 0;
    QByteArray atMap;
    double took = -1;
    while (Clock::now() - started < std::chrono::seconds(10)) {
        if (!window) {
            while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
                if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && !window) {
                    window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
                    atMap = centre(x, window);
                }
                free(event);
            }
        } else if (const QByteArray now = centre(x, window); !now.isEmpty() && now != atMap) {
            took = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
            break;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    process.kill();
    process.waitForFinished();
    while (xcb_generic_event_t* event = xcb_poll_for_event(x))
        free(event);
    return took;
}

QString summary(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    if (values.empty())
        return QStringLiteral("no frame seen");
    return QStringLiteral("median %1 ms, fastest %2 ms, slowest %3 ms")
        .arg(values[values.size() / 2], 0, 'f', 1)
        .arg(values.front(), 0, 'f', 1)
        .arg(values.back(), 0, 'f', 1);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x)) {
        std::printf("no X display: run it under xvfb-run\n");
        return 1;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x);
    const QString dir = QCoreApplication::applicationDirPath();
    qputenv("QT_QPA_PLATFORM", "xcb");
    const QString other = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const QString bareWindow = dir + QStringLiteral("/bare_window");
    const QStringList displayFace { QStringLiteral("--text"), QStringLiteral("--face"),
        QStringLiteral("Noto Sans CJK JP") };
    std::vector<double> bare, bareText, bareDisplayFace, kelvaro, others;
    for (int run = 0; run < 15; ++run) {
        if (!other.isEmpty())
            if (const double ms = firstFrame(x, other, {}); ms >= 0)
                others.push_back(ms);
        if (const double ms = firstFrame(x, bareWindow, {}); ms >= 0)
            bare.push_back(ms);
        if (const double ms = firstFrame(x, bareWindow, { QStringLiteral("--text") }); ms >= 0)
            bareText.push_back(ms);
        if (const double ms = firstFrame(x, bareWindow, displayFace); ms >= 0)
            bareDisplayFace.push_back(ms);
        if (const double ms = firstFrame(x, dir + QStringLiteral("/../src/kelvaro"), {}); ms >= 0)
            kelvaro.push_back(ms);
    }
    std::printf("exec to first frame, bare Qt window: %s\n", qUtf8Printable(summary(bare)));
    std::printf("exec to first frame, bare window with a line of large text: %s\n",
        qUtf8Printable(summary(bareText)));
    std::printf("exec to first frame, the same in Kelvaro's display face: %s\n",
        qUtf8Printable(summary(bareDisplayFace)));
    std::printf("exec to first frame, Kelvaro:        %s\n", qUtf8Printable(summary(kelvaro)));
    if (!other.isEmpty())
        std::printf("exec to first frame, %s: %s\n", argv[1], qUtf8Printable(summary(others)));
    const auto ratio = [](const char* what, std::vector<double> top, std::vector<double> bottom) {
        if (top.empty() || bottom.empty())
            return;
        std::sort(top.begin(), top.end());
        std::sort(bottom.begin(), bottom.end());
        std::printf("%s (medians): %.2f\n", what, top[top.size() / 2] / bottom[bottom.size() / 2]);
    };
    ratio("Kelvaro / bare", kelvaro, bare);
    ratio("Kelvaro / bare with text", kelvaro, bareText);
    ratio("Kelvaro / bare with text in its display face", kelvaro, bareDisplayFace);
    ratio("bare with text in Kelvaro's display face / bare", bareDisplayFace, bare);
    xcb_disconnect(x);
    return 0;
}
