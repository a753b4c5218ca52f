// Reads a PDF back as an office's tools see it: poppler-utils' pdfinfo,
// pdftotext and pdffonts.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

inline QString PopplerOutput(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString() << " did not end";
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString() << ": "
                                     << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The value of one "Name: value" line of pdfinfo.
inline QString PdfInfo(const QString& file, const QString& name)
{
    for (const QString& line : PopplerOutput(QStringLiteral("pdfinfo"), {file}).split(QLatin1Char('\n')))
        if (line.startsWith(name + QLatin1Char(':')))
            return line.mid(name.size() + 1).trimmed();
    return {};
}

inline QString PdfMetadata(const QString& file)
{
    return PopplerOutput(QStringLiteral("pdfinfo"), {QStringLiteral("-meta"), file});
}

// The text of page `page` (from 1), or of every page when 0, in reading order.
inline QString PdfText(const QString& file, int page = 0)
{
    QStringList arguments{QStringLiteral("-layout")};
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    return PopplerOutput(QStringLiteral("pdftotext"), arguments << file << QStringLiteral("-"));
}

// The fonts' lines of pdffonts (after its two heading lines).
inline QStringList PdfFonts(const QString& file)
{
    return PopplerOutput(QStringLiteral("pdffonts"), {file}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
}

// Whether a pdffonts line says the font is embedded (its "emb" column).
inline bool Embedded(const QString& fontLine)
{
    static const QRegularExpression columns(QStringLiteral("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+$"));
    const QRegularExpressionMatch match = columns.match(fontLine);
    return match.hasMatch() && match.captured(1) == QLatin1String("yes");
}
