#pragma once

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QMap>
#include <QMargins>
#include <QString>

#include <optional>

// What a skin sets, key by key. Every key of a skin file that is missing or
// wrong takes the built-in skin's value instead.
struct TSkinValues {
    QString name;
    int titleBarHeight = 22;
    // The frame's border around the client area, the title bar below the top one.
    QMargins borders{4, 4, 4, 4};
    // The frame picture's width: no skinned window is narrower.
    int framePictureWidth = 128;
    // The "button" picture's height: the height of the message box's buttons.
    int buttonHeight = 25;
    // The frame's colours by name (see SkinFile::ColourNames).
    QMap<QString, QColor> colours;
    // Fonts the skin gives; a font it does not give leaves the window's own.
    std::optional<QFont> titleFont;
    std::optional<QFont> messageFont;
    std::optional<QFont> buttonFont;
};

// A skin read from a skin file: its values, its style sheet and its files.
struct TSkinContents {
    TSkinValues values;
    // The style sheet, each picture it names written as "url(skin:/PATH)".
    QString styleSheet;
    QMap<QString, QByteArray> files;
};

// Reads skin files: Qt binary resources holding "skin.qss", a style sheet, and
// "skin.json", a manifest of the skin's values. Needs no display.
namespace SkinFile {

inline constexpr int FormatVersion = 1;

// The names of the frame's colours a manifest may set.
extern const char *const ColourNames[];

// The skin the bytes hold, its manifest checked key by key against fallback;
// nothing when the bytes are not a resource file, exceed the size limit or
// hold no style sheet.
std::optional<TSkinContents> parse(const QByteArray &bytes, const TSkinValues &fallback);

// The style sheet with every "skin:/" picture address turned into one under
// root (a resource folder such as ":/skin-1"). A picture that is not a file
// of the skin, or any other address, becomes "none": a skin draws only with
// its own pictures.
QString resolvePictures(const QString &styleSheet, const QMap<QString, QByteArray> &files,
                        const QString &root);

} // namespace SkinFile
