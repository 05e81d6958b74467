// Writes the program's icon for installation: scalable/apps/NAME.svg and NxN/apps/NAME.png at
// the usual hicolor sizes, below the folder given.
#include "ui/kit/icon.h"

#include <QDir>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_icons OUTPUT_DIR ICON_NAME\n");
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    const QString svgDir = out + "/scalable/apps";
    QFile svg(svgDir + "/" + name + ".svg");
    if (!QDir().mkpath(svgDir) || !svg.open(QIODevice::WriteOnly) ||
        svg.write(orbistan::ui::bearingIconSvg()) < 0) {
        std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(svg.fileName()));
        return 1;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QString("%1/%2x%2/apps").arg(out).arg(size);
        const QString file = dir + "/" + name + ".png";
        if (!QDir().mkpath(dir) || !orbistan::ui::bearingIconImage(size).save(file, "PNG")) {
            std::fprintf(stderr, "make_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
