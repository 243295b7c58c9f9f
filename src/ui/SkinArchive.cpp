#include "SkinArchive.h"

#include <QSet>

#include <zlib.h>

#include <utility>

#include <cstdint>

namespace SkinArchive {
namespace {

// Node flags of the resource format.
constexpr quint16 FlagCompressed = 0x01;
constexpr quint16 FlagDirectory = 0x02;
constexpr quint16 FlagCompressedZstd = 0x04;
// The locale of a file packed without a language: QLocale::AnyTerritory, QLocale::C.
constexpr quint16 LocaleAnyTerritory = 0;
constexpr quint16 LocaleC = 1;

class Reader {
public:
    explicit Reader(const QByteArray &data)
        : m_bytes(reinterpret_cast<const uchar *>(data.constData())), m_size(quint64(data.size()))
    {
    }

    std::optional<QMap<QString, QByteArray>> run()
    {
        if (m_size < 20 || m_size > quint64(MaxFileSize))
            return std::nullopt;
        if (m_bytes[0] != 'q' || m_bytes[1] != 'r' || m_bytes[2] != 'e' || m_bytes[3] != 's')
            return std::nullopt;
        m_version = number4(4);
        if (m_version < 1 || m_version > 3)
            return std::nullopt;
        m_tree = number4(8);
        m_data = number4(12);
        m_names = number4(16);
        if (m_version >= 3) {
            if (m_size < 24)
                return std::nullopt;
            // The file's own flags name the packers it uses: zlib alone, since
            // zstd needs a decoder the program does not carry, and the resource
            // system refuses flags it does not know.
            if (number4(20) & ~quint32(FlagCompressed))
                return std::nullopt;
        }
        if (m_tree >= m_size || m_data >= m_size || m_names >= m_size)
            return std::nullopt;
        m_nodeSize = m_version >= 2 ? 22 : 14;

        // The root: a folder with no name of its own.
        if (!nodeInside(0) || !(flags(0) & FlagDirectory))
            return std::nullopt;
        m_seen.insert(0);
        if (!walkFolder(0, QString(), 0))
            return std::nullopt;
        return m_files;
    }

private:
    bool inside(quint64 offset, quint64 length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }

    quint32 number4(quint64 offset) const
    {
        return quint32(m_bytes[offset]) << 24 | quint32(m_bytes[offset + 1]) << 16 |
               quint32(m_bytes[offset + 2]) << 8 | quint32(m_bytes[offset + 3]);
    }
    quint16 number2(quint64 offset) const { return quint16(m_bytes[offset] << 8 | m_bytes[offset + 1]); }

    quint64 nodeOffset(quint64 node) const { return m_tree + node * m_nodeSize; }
    bool nodeInside(quint64 node) const { return inside(nodeOffset(node), m_nodeSize); }
    quint16 flags(quint64 node) const { return number2(nodeOffset(node) + 4); }

    // The hash by which the resource system looks a name up among its
    // folder's entries, which are sorted by it.
    static quint32 nameHash(const QString &name)
    {
        quint32 h = 0;
        for (const QChar c : name) {
            h = (h << 4) + c.unicode();
            h ^= (h & 0xf0000000) >> 23;
            h &= 0x0fffffff;
        }
        return h;
    }

    // A node's name and its stored hash, which must be the name's own.
    std::optional<std::pair<QString, quint32>> name(quint64 node) const
    {
        const quint64 at = quint64(m_names) + number4(nodeOffset(node));
        if (!inside(at, 6))
            return std::nullopt;
        const quint64 length = number2(at);
        if (length == 0 || !inside(at + 6, length * 2))
            return std::nullopt;
        QString text(qsizetype(length), Qt::Uninitialized);
        for (quint64 i = 0; i < length; ++i)
            text[qsizetype(i)] = QChar(number2(at + 6 + 2 * i));
        const quint32 hash = number4(at + 2);
        if (hash != nameHash(text))
            return std::nullopt;
        // A name is one step of a path: it can climb nowhere and hide nothing.
        if (text == QLatin1String(".") || text == QLatin1String("..") || text.contains(QLatin1Char('/')) ||
            text.contains(QLatin1Char('\\')) || text.contains(QChar(0)))
            return std::nullopt;
        return std::make_pair(text, hash);
    }

    bool walkFolder(quint64 node, const QString &path, int depth)
    {
        if (depth > MaxDepth)
            return false;
        const quint64 at = nodeOffset(node);
        const quint64 count = number4(at + 6);
        const quint64 first = number4(at + 10);
        if (count > quint64(MaxEntries))
            return false;
        // The entries must be in the order the resource system searches them
        // in, or it would not find every file this reader sees.
        quint32 previousHash = 0;
        for (quint64 child = first; child < first + count; ++child) {
            // Every node belongs to one folder once: no loops, no shared children.
            if (!nodeInside(child) || m_seen.contains(child) || m_seen.size() >= MaxEntries)
                return false;
            m_seen.insert(child);
            const std::optional<std::pair<QString, quint32>> childName = name(child);
            if (!childName || childName->second < previousHash)
                return false;
            previousHash = childName->second;
            const QString &step = childName->first;
            const QString childPath = path.isEmpty() ? step : path + QLatin1Char('/') + step;
            const bool ok = (flags(child) & FlagDirectory) ? walkFolder(child, childPath, depth + 1)
                                                           : readFile(child, childPath);
            if (!ok)
                return false;
        }
        return true;
    }

    bool readFile(quint64 node, const QString &path)
    {
        const quint16 nodeFlags = flags(node);
        if (nodeFlags & ~(FlagCompressed | FlagDirectory) || m_files.contains(path))
            return false;
        // A file for one language or country is found by the resource system
        // only under that locale; a skin's files are for every locale.
        const quint64 entry = nodeOffset(node);
        if (number2(entry + 6) != LocaleAnyTerritory || number2(entry + 8) != LocaleC)
            return false;
        const quint64 at = quint64(m_data) + number4(nodeOffset(node) + 10);
        if (!inside(at, 4))
            return false;
        const quint64 length = number4(at);
        if (!inside(at + 4, length))
            return false;
        const uchar *content = m_bytes + at + 4;
        QByteArray unpacked;
        if (nodeFlags & FlagCompressed) {
            std::optional<QByteArray> inflated = inflate(content, length);
            if (!inflated)
                return false;
            unpacked = std::move(*inflated);
        } else {
            unpacked = QByteArray(reinterpret_cast<const char *>(content), qsizetype(length));
        }
        m_unpacked += quint64(unpacked.size());
        if (m_unpacked > quint64(MaxUnpackedSize))
            return false;
        m_files.insert(path, unpacked);
        return true;
    }

    // A packed file is its unpacked size (4 bytes) and a zlib stream that must
    // give exactly that many bytes.
    std::optional<QByteArray> inflate(const uchar *content, quint64 length) const
    {
        if (length < 4)
            return std::nullopt;
        const quint64 expected = quint64(content[0]) << 24 | quint64(content[1]) << 16 |
                                 quint64(content[2]) << 8 | quint64(content[3]);
        if (expected > quint64(MaxUnpackedSize) - m_unpacked)
            return std::nullopt;
        QByteArray out(qsizetype(expected), Qt::Uninitialized);
        z_stream stream{};
        if (inflateInit(&stream) != Z_OK)
            return std::nullopt;
        stream.next_in = const_cast<Bytef *>(content + 4);
        stream.avail_in = uInt(length - 4);
        // One spare byte shows a stream that holds more than it announced.
        char spare = 0;
        stream.next_out =
            expected ? reinterpret_cast<Bytef *>(out.data()) : reinterpret_cast<Bytef *>(&spare);
        stream.avail_out = expected ? uInt(expected) : 1;
        int status = ::inflate(&stream, Z_FINISH);
        if (status == Z_BUF_ERROR && stream.avail_out == 0 && expected) {
            stream.next_out = reinterpret_cast<Bytef *>(&spare);
            stream.avail_out = 1;
            status = ::inflate(&stream, Z_FINISH);
        }
        const bool whole = status == Z_STREAM_END && stream.total_out == expected;
        inflateEnd(&stream);
        if (!whole)
            return std::nullopt;
        return out;
    }

    const uchar *m_bytes;
    quint64 m_size;
    quint32 m_version = 0;
    quint64 m_tree = 0;
    quint64 m_data = 0;
    quint64 m_names = 0;
    quint64 m_nodeSize = 0;
    quint64 m_unpacked = 0;
    QSet<quint64> m_seen;
    QMap<QString, QByteArray> m_files;
};

} // namespace

std::optional<QMap<QString, QByteArray>> read(const QByteArray &data)
{
    return Reader(data).run();
}

} // namespace SkinArchive
