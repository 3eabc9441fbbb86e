#include "platform/QtApp.h"

#include <dlfcn.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QFont>
#include <QSocketNotifier>
#include <csignal>

#include <vector>

namespace platform {
namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
}

}  // namespace

bool DisplayReachable(std::string* why) {
    const QByteArray chosen = qgetenv("QT_QPA_PLATFORM");
    if (!chosen.isEmpty() && !chosen.startsWith("xcb")) return true;  // the user's own choice
    const QByteArray display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        if (chosen.isEmpty() && !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) return true;
        *why = "no display: DISPLAY is not set (start it from a desktop session, or set DISPLAY)";
        return false;
    }
    // Asked the way Qt will ask, but without Qt's abort when it fails.
    void* xcb = dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!xcb) return true;  // Qt will say what it misses
    using Connect = void* (*)(const char*, int*);
    using HasError = int (*)(void*);
    using Disconnect = void (*)(void*);
    auto connect = reinterpret_cast<Connect>(dlsym(xcb, "xcb_connect"));
    auto hasError = reinterpret_cast<HasError>(dlsym(xcb, "xcb_connection_has_error"));
    auto disconnect = reinterpret_cast<Disconnect>(dlsym(xcb, "xcb_disconnect"));
    bool reached = true;
    if (connect && hasError && disconnect) {
        void* connection = connect(display.constData(), nullptr);
        reached = hasError(connection) == 0;
        disconnect(connection);
    }
    dlclose(xcb);
    if (!reached) *why = "cannot open display " + display.toStdString();
    return reached;
}

Gui::Gui(int& argc, char** argv) {
    // Positions, shapes and stacking need X11; under Wayland use XWayland
    // when it is there.  An explicit choice of the user's stands.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    // The windows are tiny: plain image transfers beat shared memory, whose
    // flush waits for the server (a redraw of the digits: 18 us against 66).
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
    QCoreApplication::setApplicationName(QStringLiteral("tessuri"));
    // The X11 window class is "tessuri" whatever the executable is called.
    static std::vector<char*> args;
    static char nameFlag[] = "-name";
    static char nameValue[] = "tessuri";
    args.assign(argv, argv + argc);
    args.push_back(nameFlag);
    args.push_back(nameValue);
    args.push_back(nullptr);
    static int count;
    count = argc + 2;
    app_ = std::make_unique<QApplication>(count, args.data());
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Noto Sans CJK JP")});
    QApplication::setFont(font);
    QApplication::setQuitOnLastWindowClosed(false);
}

Gui::~Gui() = default;

int Gui::Run() { return QApplication::exec(); }

void RouteTerminationSignals(void (*onRequest)(void*), void* context) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [onRequest, context] {
        char byte;
        [[maybe_unused]] ssize_t n = read(g_signalPipe[0], &byte, 1);
        onRequest(context);
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

}  // namespace platform
