// make_help_pdf: lays out the help document of Quillon (UTF-8 HTML) on A4 pages and
// writes it as the PDF that the program's help window opens.
//
//   make_help_pdf input.html output.pdf
//
// Images are looked up relative to the folder of the HTML file; an image that cannot
// be loaded is an error, as is HTML that is not valid UTF-8. Every page but the first
// (the cover) carries a footer with the title and "Página i de n". The document's
// chapters (h2) and sections (h3) become its bookmarks, each pointing at the top of
// its heading, so that a viewer shows them as a clickable contents list. Runs
// without a display: the offscreen platform is chosen when QT_QPA_PLATFORM is not set.

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
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QUrl>
#include <cmath>
#include <cstdio>
#include <vector>

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

// A chapter (level 0) or section (level 1) heading: its text, its page (from 0)
// and its top below the top of the page's text, in device pixels.
struct Heading {
    int level = 0;
    QString title;
    int page = 0;
    double top = 0.0;
};

std::vector<Heading> Headings(QTextDocument& doc, double pageHeight) {
    doc.documentLayout()->documentSize();
    std::vector<Heading> headings;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != 2 && level != 3) {
            continue;
        }
        const QString title = block.text().simplified();
        if (title.isEmpty()) {
            continue;
        }
        const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
        const int page = static_cast<int>(std::floor(rect.top() / pageHeight));
        headings.push_back({level - 2, title, page, rect.top() - page * pageHeight});
    }
    // A section before any chapter stands as a chapter.
    if (!headings.empty()) {
        headings.front().level = 0;
    }
    return headings;
}

// A PDF text string: UTF-16BE with its byte order mark, in hexadecimal.
QByteArray PdfText(const QString& text) {
    QByteArray hex = "<FEFF";
    for (const QChar c : text) {
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    }
    return hex + '>';
}

// Appends to the PDF at `path` an incremental update that gives its catalogue
// an outline of `headings`; `pageTop(h)` is the vertical position, in the page's
// own units from its foot, of a heading's top. Empty on success, else why not.
template <typename PageTop>
QString AppendOutline(const QString& path, const std::vector<Heading>& headings, PageTop pageTop) {
    if (headings.empty()) {
        return {};
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        return file.errorString();
    }
    const QByteArray pdf = file.readAll();
    const auto number = [&pdf](const char* pattern, qsizetype from = 0) -> long long {
        const QRegularExpressionMatch match =
            QRegularExpression(QString::fromLatin1(pattern)).match(QString::fromLatin1(pdf), from);
        return match.hasMatch() ? match.captured(1).toLongLong() : -1;
    };
    const qsizetype trailer = pdf.lastIndexOf("trailer");
    const long long previous = number("startxref\\s+(\\d+)", pdf.lastIndexOf("startxref"));
    const long long size = number("/Size\\s+(\\d+)", trailer);
    const long long root = number("/Root\\s+(\\d+)\\s+0\\s+R", trailer);
    const long long info = number("/Info\\s+(\\d+)\\s+0\\s+R", trailer);
    if (trailer < 0 || previous < 0 || size < 0 || root < 0) {
        return QStringLiteral("sin tabla de referencias legible");
    }
    const qsizetype catalogue = pdf.indexOf("\n" + QByteArray::number(root) + " 0 obj");
    const long long pages = number("/Pages\\s+(\\d+)\\s+0\\s+R", catalogue);
    const qsizetype tree = pdf.indexOf("\n" + QByteArray::number(pages) + " 0 obj");
    const qsizetype kids = pdf.indexOf("/Kids", tree);
    const qsizetype kidsEnd = pdf.indexOf(']', kids);
    if (catalogue < 0 || pages < 0 || tree < 0 || kids < 0 || kidsEnd < 0) {
        return QStringLiteral("sin árbol de páginas legible");
    }
    std::vector<long long> pageObjects;
    const QString kidList = QString::fromLatin1(pdf.mid(kids, kidsEnd - kids));
    for (const QRegularExpressionMatch& kid :
         QRegularExpression(QStringLiteral("(\\d+)\\s+0\\s+R")).globalMatch(kidList)) {
        pageObjects.push_back(kid.captured(1).toLongLong());
    }

    // Objects: the outline's root, then one per heading, numbered from `size`.
    const long long outline = size;
    const auto id = [size](std::size_t heading) {
        return size + 1 + static_cast<long long>(heading);
    };
    const std::size_t n = headings.size();
    std::vector<long long> parent(n, outline), prev(n, -1), next(n, -1), first(n, -1), last(n, -1),
        children(n, 0);
    long long firstTop = -1;
    long long lastTop = -1;
    long long topCount = 0;
    std::size_t chapter = 0;
    std::vector<long long> lastOfLevel = {-1, -1};
    for (std::size_t h = 0; h < n; ++h) {
        if (headings[h].level == 0) {
            chapter = h;
            if (lastTop >= 0) {
                next[static_cast<std::size_t>(lastTop - size - 1)] = id(h);
                prev[h] = lastTop;
            } else {
                firstTop = id(h);
            }
            lastTop = id(h);
            ++topCount;
            lastOfLevel[1] = -1;
        } else {
            parent[h] = id(chapter);
            if (lastOfLevel[1] >= 0) {
                next[static_cast<std::size_t>(lastOfLevel[1] - size - 1)] = id(h);
                prev[h] = lastOfLevel[1];
            } else {
                first[chapter] = id(h);
            }
            last[chapter] = id(h);
            lastOfLevel[1] = id(h);
            ++children[chapter];
        }
    }

    QByteArray update = "\n";
    std::vector<std::pair<long long, qsizetype>> offsets;
    const auto object = [&](long long number, const QByteArray& body) {
        offsets.emplace_back(number, pdf.size() + update.size());
        update += QByteArray::number(number) + " 0 obj\n" + body + "\nendobj\n";
    };
    const auto ref = [](long long number) { return QByteArray::number(number) + " 0 R"; };
    object(root, "<<\n/Type /Catalog\n/Pages " + ref(pages) + "\n/Outlines " + ref(outline) +
                     "\n/PageMode /UseOutlines\n>>");
    object(outline, "<<\n/Type /Outlines\n/First " + ref(firstTop) + "\n/Last " + ref(lastTop) +
                        "\n/Count " + QByteArray::number(topCount) + "\n>>");
    for (std::size_t h = 0; h < n; ++h) {
        const Heading& heading = headings[h];
        const std::size_t page =
            std::min(static_cast<std::size_t>(std::max(heading.page, 0)), pageObjects.size() - 1);
        QByteArray body = "<<\n/Title " + PdfText(heading.title) + "\n/Parent " + ref(parent[h]);
        if (prev[h] >= 0) {
            body += "\n/Prev " + ref(prev[h]);
        }
        if (next[h] >= 0) {
            body += "\n/Next " + ref(next[h]);
        }
        if (first[h] >= 0) {
            body += "\n/First " + ref(first[h]) + "\n/Last " + ref(last[h]) + "\n/Count " +
                    QByteArray::number(-children[h]); // closed at first
        }
        body += "\n/Dest [" + ref(pageObjects[page]) + " /XYZ 0 " +
                QByteArray::number(pageTop(heading), 'f', 2) + " null]\n>>";
        object(id(h), body);
    }

    // The cross-reference section of the update: the catalogue, then the run
    // of new objects.
    const qsizetype xref = pdf.size() + update.size();
    const auto entry = [](qsizetype offset) {
        return QByteArray::number(static_cast<long long>(offset)).rightJustified(10, '0') +
               " 00000 n \n";
    };
    update += "xref\n" + QByteArray::number(root) + " 1\n" + entry(offsets[0].second);
    update += QByteArray::number(outline) + ' ' + QByteArray::number(offsets.size() - 1) + '\n';
    for (std::size_t k = 1; k < offsets.size(); ++k) {
        update += entry(offsets[k].second);
    }
    update += "trailer\n<<\n/Size " + QByteArray::number(id(n)) + "\n/Root " + ref(root);
    if (info >= 0) {
        update += "\n/Info " + ref(info);
    }
    update += "\n/Prev " + QByteArray::number(previous) + "\n>>\nstartxref\n" +
              QByteArray::number(static_cast<long long>(xref)) + "\n%%EOF\n";
    if (!file.seek(pdf.size()) || file.write(update) != update.size() || !file.flush()) {
        return file.errorString();
    }
    return {};
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
    const std::vector<Heading> headings = Headings(doc, body.height());

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
    // Page units are points (1/72 inch) from the foot of the page; the text
    // starts at the top margin.
    const QPageLayout layout = writer.pageLayout();
    const double pageHeight = layout.fullRectPoints().height();
    const double marginTop = layout.margins(QPageLayout::Point).top();
    if (const QString problem = AppendOutline(
            outputPath, headings,
            [&](const Heading& h) { return pageHeight - marginTop - h.top * 72.0 / kResolution; });
        !problem.isEmpty()) {
        QFile::remove(outputPath);
        return Fail(
            QStringLiteral("no se ha podido añadir el índice a %1: %2").arg(outputPath, problem));
    }
    std::printf("%s: %d páginas\n", qPrintable(outputPath), pages);
    return 0;
}
