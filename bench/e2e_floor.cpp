// The floor under a tray click's wait that is not the X transfer: our decode
// of the PNG FILE into warm memory and the first paint's scaling of it to
// WIDTH x HEIGHT display pixels. Prints both in milliseconds, the fastest of
// five after a first run that warms the memory.
//   e2e_floor FILE WIDTH HEIGHT
#include "core/pixels/DisplayScaling.h"
#include "core/png/ImageDecode.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

double fastest(const std::function<void()> &work)
{
    work();
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: e2e_floor FILE WIDTH HEIGHT\n");
        return 2;
    }
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "e2e_floor: cannot read %s\n", argv[1]);
        return 1;
    }
    const QByteArray bytes = file.readAll();
    QImage image;
    const double decode = fastest([&] { image = pintora::decodeImage(bytes); });
    if (image.isNull()) {
        std::fprintf(stderr, "e2e_floor: cannot decode %s\n", argv[1]);
        return 1;
    }
    const QSize display
        = image.size().scaled(std::atoi(argv[2]), std::atoi(argv[3]), Qt::KeepAspectRatio).boundedTo(image.size());
    const pintora::DisplayScaling scaling(image.size(), display);
    const double scale = fastest([&] { (void)scaling.render(image); });
    std::printf("%.1f %.1f\n", decode, scale);
    return 0;
}
