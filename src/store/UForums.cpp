#include "UForums.h"

std::vector<std::string> FormatChooserEntries(const TFormats &formats)
{
    std::vector<std::string> entries{"text"};
    for (int i = 0; i < formats.count(); ++i)
        if (!formats.record(i).Name.empty())
            entries.push_back(formats.record(i).Name);
    return entries;
}
