// Renders the scalable application icon as a PNG of one size, for the icon theme's
// fixed sizes: tolvane-render-icon SOURCE.svg SIZE OUTPUT.png
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    bool sized = false;
    const int size = args.size() == 4 ? args[2].toInt(&sized) : 0;
    if (!sized || size <= 0) {
        std::fprintf(stderr, "usage: tolvane-render-icon SOURCE.svg SIZE OUTPUT.png\n");
        return 2;
    }
    QImageReader reader(args[1]);
    reader.setScaledSize(QSize(size, size));
    QImage image = reader.read();
    if (image.isNull()) {
        std::fprintf(stderr, "tolvane-render-icon: %s: %s\n", qPrintable(args[1]),
                     qPrintable(reader.errorString()));
        return 1;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (!image.save(args[3], "PNG")) {
        std::fprintf(stderr, "tolvane-render-icon: cannot write %s\n", qPrintable(args[3]));
        return 1;
    }
    return 0;
}
