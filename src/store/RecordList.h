#pragma once

#include "Errors.h"
#include "RecordCodec.h"
#include "TextFile.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// What a record kind contributes to its list: the file it lives in, the file's
// header line, its fields in file order and whether line breaks are escaped.
// Specialised beside each record.
template <class Record>
struct RecordTraits;

// An ordered list of text entries, each owning one record. Positions run from
// 0 to count() - 1 in the order of appending and inserting; the list is never
// sorted and allows duplicates. An entry's text is its record's first field as
// it stood when the entry was added.
template <class Record>
class TRecordList {
public:
    using Traits = RecordTraits<Record>;

    // The list keeps its data file in dir.
    explicit TRecordList(std::filesystem::path dir) : m_file(std::move(dir) / Traits::fileName) {}
    TRecordList(const TRecordList &) = delete;
    TRecordList &operator=(const TRecordList &) = delete;
    virtual ~TRecordList() = default;

    int count() const { return static_cast<int>(m_entries.size()); }

    Record &record(int p) { return *m_entries[checked(p)].record; }
    const Record &record(int p) const { return *m_entries[checked(p)].record; }
    const std::string &entryText(int p) const { return m_entries[checked(p)].text; }

    void append(std::string text, std::unique_ptr<Record> record)
    {
        m_entries.push_back({std::move(text), std::move(record)});
    }

    // p may be count(), which appends.
    void insert(int p, std::string text, std::unique_ptr<Record> record)
    {
        if (p < 0 || p > count())
            throw EListError(p);
        m_entries.insert(m_entries.begin() + p, Entry{std::move(text), std::move(record)});
    }

    void remove(int p) { m_entries.erase(m_entries.begin() + checked(p)); }

    const std::filesystem::path &fileName() const { return m_file; }

    // Appends one record per record line of the data file, in file order. A
    // missing file leaves the list as it is. A file that is there but cannot be
    // read raises EFileError and adds nothing; from then on SaveAll refuses to
    // replace that file, since it would lose every record the file holds.
    void LoadAll()
    {
        std::optional<std::string> text;
        try {
            text = TextFile::readIfExists(m_file);
        } catch (const EFileError &) {
            m_fileRead = false;
            throw;
        }
        m_fileRead = true;
        if (!text)
            return;
        // About one entry per line: the list grows once, not step by step.
        m_entries.reserve(m_entries.size() + std::size_t(std::count(text->begin(), text->end(), '\n')) + 1);
        RecordCodec::parse(*text, layout(), [this](RecordCodec::Fields &fields) {
            auto record = std::make_unique<Record>();
            std::size_t k = 0;
            for (auto member : Traits::fields)
                (*record).*member = std::move(fields[k++]);
            std::string entry = (*record).*Traits::fields[0];
            append(std::move(entry), std::move(record));
        });
    }

    // Rewrites the data file from every entry, in list order. The program always
    // saves with the folder flushed too; the other choice is there to measure
    // what that flush costs.
    void SaveAll(TextFile::Durability durability = TextFile::Durability::FileAndFolder) const
    {
        if (!m_fileRead && std::filesystem::exists(m_file))
            throw EFileError("Cannot save file", m_file,
                             "its records could not be read, so saving would replace them with the "
                             "few records of this run");
        std::string out;
        out.reserve(64 + m_entries.size() * 64);
        RecordCodec::appendHeader(out, layout());
        std::array<const std::string *, Traits::fields.size()> fields{};
        for (const Entry &e : m_entries) {
            for (std::size_t k = 0; k < fields.size(); ++k)
                fields[k] = &((*e.record).*Traits::fields[k]);
            RecordCodec::appendRecord(out, fields, layout());
        }
        TextFile::writeReplacing(m_file, out, Traits::access, durability);
    }

protected:
    void clearEntries() { m_entries.clear(); }

private:
    struct Entry {
        std::string text;
        std::unique_ptr<Record> record;
    };

    static RecordCodec::Layout layout()
    {
        return {Traits::header, Traits::fields.size(), Traits::escapesLineBreaks};
    }

    std::size_t checked(int p) const
    {
        if (p < 0 || p >= count())
            throw EListError(p);
        return static_cast<std::size_t>(p);
    }

    std::filesystem::path m_file;
    std::vector<Entry> m_entries;
    // False until LoadAll has read the file, or found there is none. A list that
    // never read its file must not replace one that is there.
    bool m_fileRead = false;
};
