#include "platform/QtApp.h"

#include <QApplication>
#include <QFont>
#include <QSocketNotifier>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

namespace platform {
namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
}

}  // namespace

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
