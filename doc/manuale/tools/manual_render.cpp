// Renders the operators' manual from its Markdown (Qt's Markdown reader) to
// manuale.pdf, through the project's PDF writer (PDF/A, every font embedded),
// and to manuale.html, with the pictures the build took beside it in
// immagini/. A picture the text names that was not made stops the build.
// Prints the manual's figures: pages, pictures, sizes, time taken.
// Usage: manual_render MANUALE.md PICTURES_FOLDER OUTPUT_FOLDER
#include "paper/paper_fonts.h"
#include "paper/pdf_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QUrl>

#include <cstdio>

namespace {

// The widest a picture is set, in the document's units (about a pixel at
// 96 DPI): the text width of an A4 page with 2 cm margins.
constexpr double PictureWidth = 620;

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

// Pictures fit the page; code and keys set in Liberation Mono, the rest in
// Liberation Sans, the faces the PDF embeds.
void SetFacesAndPictures(QTextDocument& doc, const QString& folder)
{
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                QTextImageFormat image = format.toImageFormat();
                const QImage picture(QDir(folder).filePath(image.name()));
                const double width = qMin<double>(picture.width(), PictureWidth);
                image.setWidth(width);
                image.setHeight(picture.width() > 0 ? picture.height() * width / picture.width() : 0);
                format = image;
            } else {
                const bool fixed = format.fontFixedPitch()
                                   || format.fontFamilies().toStringList().contains(QStringLiteral("monospace"));
                format.setFontFamilies({fixed ? paper::Mono(10).family() : paper::Sans(10).family()});
            }
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "uso: manual_render MANUALE.md CARTELLA_IMMAGINI CARTELLA_USCITA\n");
        return 2;
    }
    QElapsedTimer clock;
    clock.start();
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QDir pictures(QString::fromLocal8Bit(argv[2]));
    const QDir out(QString::fromLocal8Bit(argv[3]));
    if (const QString missing = paper::LoadLiberationFonts(); !missing.isEmpty()) {
        std::fprintf(stderr, "manual_render: %s\n", qPrintable(missing));
        return 1;
    }
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "manual_render: cannot read %s\n", qPrintable(source));
        return 1;
    }
    const QString markdown = QString::fromUtf8(file.readAll());

    // Every picture named must have been made; each is copied beside the HTML.
    QDir().mkpath(out.filePath(QStringLiteral("immagini")));
    static const QRegularExpression named(QStringLiteral(R"(!\[[^\]]*\]\((immagini/[^)\s]+\.png)\))"));
    int pictureCount = 0;
    qint64 pictureBytes = 0;
    bool failed = false;
    for (auto match = named.globalMatch(markdown); match.hasNext();) {
        const QString relative = match.next().captured(1);
        const QString made = pictures.filePath(QFileInfo(relative).fileName());
        const QString target = out.filePath(relative);
        QFile::remove(target);
        if (!QFile::copy(made, target)) {
            std::fprintf(stderr, "manual_render: the picture %s was not made (%s)\n", qPrintable(relative),
                         qPrintable(made));
            failed = true;
            continue;
        }
        ++pictureCount;
        pictureBytes += QFileInfo(target).size();
    }
    if (failed)
        return 1;

    QTextDocument doc;
    doc.setDefaultFont(paper::Sans(10));
    // The pictures come from the output folder, also for the copy of the
    // document that printing lays out.
    QTextDocument::setDefaultResourceProvider([&out](const QUrl& name) -> QVariant {
        return QImage(out.filePath(name.toString()));
    });
    doc.setMarkdown(markdown);
    doc.setMetaInformation(QTextDocument::DocumentTitle, QStringLiteral("Quenvol - Manuale dell'operatore"));
    SetFacesAndPictures(doc, out.path());

    const QByteArray html = doc.toHtml().toUtf8();
    const QByteArray pdf = paper::RenderPdf({QStringLiteral("Quenvol - Manuale dell'operatore"), QStringLiteral("DEMO")},
                                            [&doc](QPagedPaintDevice& device) {
                                                device.setPageLayout(QPageLayout(
                                                    QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                    QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
                                                doc.print(&device);
                                            });
    if (!WriteFile(out.filePath(QStringLiteral("manuale.html")), html)
        || !WriteFile(out.filePath(QStringLiteral("manuale.pdf")), pdf)) {
        std::fprintf(stderr, "manual_render: cannot write into %s\n", qPrintable(out.path()));
        return 1;
    }
    const qsizetype pages = pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page ");
    std::printf("manuale: %lld pagine, %d figure; manuale.pdf %lld KB, manuale.html con le figure %lld KB; "
                "composto in %.1f s\n",
                static_cast<long long>(pages), pictureCount, static_cast<long long>(pdf.size() / 1024),
                static_cast<long long>((html.size() + pictureBytes) / 1024), double(clock.elapsed()) / 1000.0);
    return 0;
}
