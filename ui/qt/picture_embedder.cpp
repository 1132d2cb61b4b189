// Build-time tool: decodes the window's pictures with Qt's own image readers and writes their
// pixels out as C++ arrays. The window then shows them without reading an image at start-up,
// which would scan every installed image-format plugin and load the JPEG decoder.
//   picture_embedder OUTPUT.cpp NAME=FILE [NAME=FILE ...]
#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);  // where Qt finds its image plugins
    const QStringList args = QCoreApplication::arguments();
    if (args.size() < 3) {
        std::fputs("usage: picture_embedder OUTPUT.cpp NAME=FILE [NAME=FILE ...]\n", stderr);
        return 2;
    }
    QString arrays;
    QString table;
    QTextStream pixels(&arrays);
    QTextStream entries(&table);
    for (qsizetype i = 2; i < args.size(); ++i) {
        const qsizetype equals = args[i].indexOf(u'=');
        QImage image;
        if (equals <= 0 || !image.load(args[i].mid(equals + 1))) {
            std::fprintf(stderr, "picture_embedder: cannot read %s\n", qPrintable(args[i]));
            return 1;
        }
        const bool alpha = image.hasAlphaChannel();
        image.convertTo(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        pixels << "alignas(4) constexpr std::uint32_t kPixels" << i << "[] = {";
        for (int y = 0; y < image.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                pixels << ((x % 8 == 0) ? "\n    " : " ") << "0x"
                       << QString::number(line[x], 16).rightJustified(8, u'0') << "u,";
            }
        }
        pixels << "\n};\n";
        entries << "    {\"" << args[i].left(equals) << "\", " << image.width() << ", "
                << image.height() << ", " << (alpha ? "true" : "false") << ", kPixels" << i
                << "},\n";
    }
    QFile out(args[1]);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "picture_embedder: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    QTextStream(&out) << "// Written by picture_embedder at build time from the artwork.\n"
                      << "#include \"embedded_pictures.h\"\n\nnamespace stakora::qt {\n\n"
                      << "namespace {\n\n"
                      << arrays << "\nconstexpr EmbeddedPicture kPictures[] = {\n"
                      << table << "};\n\n}  // namespace\n\n"
                      << "std::span<const EmbeddedPicture> embeddedPictures() {\n"
                      << "    return kPictures;\n}\n\n}  // namespace stakora::qt\n";
    return 0;
}
