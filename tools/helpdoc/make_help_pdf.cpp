// make_help_pdf: lays out the help document of Quillon (UTF-8 HTML) on A4 pages and
// writes it as the PDF that the program's help window opens.
//
//   make_help_pdf input.html output.pdf
//
// Images are looked up relative to the folder of the HTML file; an image that cannot
// be loaded is an error, as is HTML that is not valid UTF-8. Every page but the first
// (the cover) carries a footer with the title and "Página i de n". Runs without a
// display: the offscreen platform is chosen when QT_QPA_PLATFORM is not set.

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>
#include <cmath>
#include <cstdio>

namespace {

constexpr const char* kTitle = "Quillon - Ayuda";
constexpr int kResolution = 300;         // dots per inch of the layout
constexpr double kFooterHeightMm = 10.0; // reserved under the text of each page

int Fail(const QString& message) {
    std::fprintf(stderr, "make_help_pdf: %s\n", qPrintable(message));
    return 1;
}

// A text document that loads its images from the folder of the HTML file and
// remembers the ones it could not load.
class HelpDocument : public QTextDocument {
public:
    explicit HelpDocument(const QDir& base) : base_(base) {}

    QStringList missingImages() const {
        QStringList names = missing_;
        names.removeDuplicates();
        return names;
    }

protected:
    QVariant loadResource(int type, const QUrl& name) override {
        if (type != QTextDocument::ImageResource) {
            return QTextDocument::loadResource(type, name);
        }
        const QString path =
            name.isLocalFile() ? name.toLocalFile() : base_.filePath(name.toString());
        const QImage image(path);
        if (image.isNull()) {
            missing_.append(name.toString());
            return {};
        }
        return image;
    }

private:
    QDir base_;
    QStringList missing_;
};

// Moves to the next page every heading that would stand at the foot of a page with
// less than `room` below it, so that a heading always has text under it.
void KeepHeadingsWithText(QTextDocument& doc, double pageHeight, double room) {
    for (int pass = 0; pass < 200; ++pass) {
        // Finish the layout first: block positions of a partly laid out document
        // are not final, and moving blocks on their strength loses text.
        doc.documentLayout()->documentSize();
        bool moved = false;
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
            QTextBlockFormat format = block.blockFormat();
            if (format.headingLevel() == 0 ||
                (format.pageBreakPolicy() & QTextFormat::PageBreak_AlwaysBefore)) {
                continue;
            }
            const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
            const double pageEnd = (std::floor(rect.top() / pageHeight) + 1.0) * pageHeight;
            if (pageEnd - rect.bottom() < room) {
                format.setPageBreakPolicy(format.pageBreakPolicy() |
                                          QTextFormat::PageBreak_AlwaysBefore);
                QTextCursor(block).setBlockFormat(format);
                moved = true;
                break; // the layout below has changed: start again
            }
        }
        if (!moved) {
            return;
        }
    }
}

// True when the text blocks outside tables follow one another down the pages
// without overlapping and none with text has been left without a place.
bool LayoutIsSound(QTextDocument& doc) {
    doc.documentLayout()->documentSize();
    double previousBottom = 0.0;
    for (auto it = doc.rootFrame()->begin(); !it.atEnd(); ++it) {
        const QTextBlock block = it.currentBlock();
        if (!block.isValid()) {
            continue; // a table or another frame
        }
        const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
        if (!block.text().isEmpty() && rect.height() <= 0.0) {
            return false;
        }
        if (rect.top() + 0.5 < previousBottom) {
            return false;
        }
        previousBottom = rect.bottom();
    }
    return true;
}

QFont BodyFont() {
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Arial"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(9.0);
    return font;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);

    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "uso: make_help_pdf entrada.html salida.pdf\n");
        return 2;
    }
    const QString inputPath = args.at(1);
    const QString outputPath = args.at(2);

    QFile input(inputPath);
    if (!input.open(QIODevice::ReadOnly)) {
        return Fail(QStringLiteral("no se puede leer %1: %2").arg(inputPath, input.errorString()));
    }
    const QByteArray bytes = input.readAll();
    input.close();
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString html = decoder(bytes);
    if (decoder.hasError()) {
        return Fail(QStringLiteral("%1 no es texto UTF-8 válido").arg(inputPath));
    }
    if (html.trimmed().isEmpty()) {
        return Fail(QStringLiteral("%1 está vacío").arg(inputPath));
    }

    QPdfWriter writer(outputPath);
    writer.setTitle(QString::fromLatin1(kTitle));
    writer.setCreator(QStringLiteral("Quillon make_help_pdf"));
    writer.setResolution(kResolution);
    if (!writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                          QMarginsF(18.0, 15.0, 18.0, 10.0),
                                          QPageLayout::Millimeter))) {
        return Fail(QStringLiteral("no se puede preparar la página A4"));
    }

    HelpDocument doc(QFileInfo(inputPath).absoluteDir());
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDefaultFont(BodyFont());
    doc.setDocumentMargin(0);
    doc.setHtml(html);

    // Everything is laid out in device pixels of the writer.
    const QRectF paint = writer.pageLayout().paintRectPixels(kResolution);
    const double footerHeight = kFooterHeightMm / 25.4 * kResolution;
    const QSizeF body(paint.width(), paint.height() - footerHeight);
    doc.setPageSize(body);
    KeepHeadingsWithText(doc, body.height(),
                         4.0 * QFontMetricsF(BodyFont(), &writer).lineSpacing());
    const int pages = doc.pageCount();
    if (!LayoutIsSound(doc)) {
        return Fail(QStringLiteral("la composición de las páginas ha fallado"));
    }

    if (const QStringList missing = doc.missingImages(); !missing.isEmpty()) {
        return Fail(QStringLiteral("imágenes que no se pueden cargar: %1")
                        .arg(missing.join(QStringLiteral(", "))));
    }

    QPainter painter;
    if (!painter.begin(&writer)) {
        return Fail(QStringLiteral("no se puede escribir %1").arg(outputPath));
    }
    QFont footerFont = BodyFont();
    footerFont.setPointSizeF(8.0);
    const QPen rulePen(QColor(0x80, 0x80, 0x80), kResolution / 150.0);

    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !writer.newPage()) {
            painter.end();
            QFile::remove(outputPath);
            return Fail(QStringLiteral("no se puede añadir la página %1").arg(page + 1));
        }
        const QRectF area(0.0, page * body.height(), body.width(), body.height());
        painter.save();
        painter.setClipRect(QRectF(QPointF(0.0, 0.0), body));
        painter.translate(0.0, -area.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = area;
        context.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();

        if (page > 0) {
            const double top = body.height() + footerHeight * 0.35;
            painter.setPen(rulePen);
            painter.drawLine(QPointF(0.0, top), QPointF(body.width(), top));
            painter.setPen(Qt::black);
            painter.setFont(footerFont);
            const QRectF text(0.0, top, body.width(), footerHeight * 0.65);
            painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(kTitle));
            painter.drawText(text, Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("Página %1 de %2").arg(page + 1).arg(pages));
        }
    }
    if (!painter.end()) {
        QFile::remove(outputPath);
        return Fail(QStringLiteral("no se ha podido terminar %1").arg(outputPath));
    }
    if (QFileInfo(outputPath).size() <= 0) {
        return Fail(QStringLiteral("%1 no se ha escrito").arg(outputPath));
    }
    std::printf("%s: %d páginas\n", qPrintable(outputPath), pages);
    return 0;
}
