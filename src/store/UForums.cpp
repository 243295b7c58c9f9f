#include "UForums.h"

std::vector<std::string> FormatChooserEntries(const TFormats &formats)
{
    std::vector<std::string> entries{"text"};
    for (int i = 0; i < formats.count(); ++i)
        if (!formats.record(i).Name.empty())
            entries.push_back(formats.record(i).Name);
    return entries;
}

void RemoveLeftoverSaves(const std::filesystem::path &dir)
{
    for (std::string_view name : {RecordTraits<TForum>::fileName, RecordTraits<TFMessage>::fileName,
                                  RecordTraits<TFormat>::fileName})
        TextFile::removeLeftoverTemporaries(dir / name);
}
