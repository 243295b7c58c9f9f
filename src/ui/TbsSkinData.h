#pragma once

#include "SkinFile.h"

#include <QObject>

#include <filesystem>

// The skin data component of the main window: it puts the built-in skin in
// force when it is made, and a skin file in its place on request.
class TbsSkinData : public QObject {
    Q_OBJECT
public:
    explicit TbsSkinData(QObject *parent = nullptr);

    // Reads a skin file. When it holds a skin, every window takes it on at once
    // and the result is true; otherwise the skin in force stays and the result
    // is false. A file that cannot be read holds no skin; nothing is reported.
    bool LoadFromCompressedFile(const std::filesystem::path &file);

    // The values of the skin in force.
    const TSkinValues &values() const;
};
