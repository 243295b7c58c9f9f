#pragma once

#include "SkinFile.h"

#include <QObject>

#include <memory>

// A skin ready to draw with: its values and its style sheet, whose pictures
// are registered as resources for as long as the skin lives.
class TSkin {
public:
    TSkin(TSkinContents contents, QByteArray fileBytes);
    ~TSkin();
    TSkin(const TSkin &) = delete;
    TSkin &operator=(const TSkin &) = delete;

    const TSkinValues &values() const { return m_values; }
    // Whether the resource system took the skin's files for its pictures.
    bool registered() const { return m_registered; }
    const QString &styleSheet() const { return m_styleSheet; }

private:
    TSkinValues m_values;
    QString m_styleSheet;
    QByteArray m_bytes;
    QString m_root;
    bool m_registered = false;
};

// The skin in force for every window of the program. It starts with the
// built-in skin; putting another in force restyles every window at once.
class TSkinEngine : public QObject {
    Q_OBJECT
public:
    static TSkinEngine &instance();

    std::shared_ptr<const TSkin> current() const { return m_current; }
    std::shared_ptr<const TSkin> builtIn() const { return m_builtIn; }

    // The skin a skin file's bytes hold, its missing or wrong values taken from
    // the built-in skin; null when the bytes hold no skin.
    std::shared_ptr<const TSkin> read(const QByteArray &bytes) const;

    // Puts skin in force for every window.
    void apply(std::shared_ptr<const TSkin> skin);

signals:
    void skinChanged();

private:
    TSkinEngine();

    std::shared_ptr<const TSkin> m_builtIn;
    std::shared_ptr<const TSkin> m_current;
};
