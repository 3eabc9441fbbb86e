// The baseline for the start-up benchmark: a bare frameless 230 x 170 Qt
// window that paints one plain colour. With TESSURI_BENCH_FIRST_PAINT=1 it
// prints "first-paint <CLOCK_MONOTONIC ns>" to stderr on its first paint,
// the same mark the clock prints.
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <QApplication>
#include <QPainter>
#include <QWidget>

namespace {

class BareWindow : public QWidget {
public:
    BareWindow() : QWidget(nullptr, Qt::FramelessWindowHint) {
        setFixedSize(230, 170);
        const char* flag = std::getenv("TESSURI_BENCH_FIRST_PAINT");
        report_ = flag && std::strcmp(flag, "1") == 0;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(0x40, 0x80, 0xc0));
        if (report_) {
            report_ = false;
            timespec ts{};
            clock_gettime(CLOCK_MONOTONIC, &ts);
            std::fprintf(stderr, "first-paint %lld\n", static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec);
            std::fflush(stderr);
        }
    }

private:
    bool report_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    BareWindow window;
    window.show();
    return app.exec();
}
