#pragma once
// The information box of the main window, reported to the way the bench's handlers do it:
// font name, colour, size where given, then the text. A null text (a language with no column)
// leaves the box as it was.

#include <QString>

#include <cstdint>

class QPlainTextEdit;

// The font of the handlers' plain reports.
inline const QString kArial = QStringLiteral("Arial");

class InfoBox {
public:
    explicit InfoBox(QPlainTextEdit* box) : box_(box) {}

    void setFontName(const QString& name);
    void setFontSize(int points);
    void setColor(std::uint32_t bbggrr);
    void setText(const QString& text);

    // Font name, colour and text in one call, the common report shape.
    void report(const QString& fontName, std::uint32_t bbggrr, const QString& text);

    QString text() const;
    QString fontName() const;
    int fontSize() const;
    std::uint32_t color() const;

private:
    QPlainTextEdit* box_;
};
