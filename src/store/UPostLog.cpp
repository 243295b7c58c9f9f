#include "UPostLog.h"

#include "ErrorLog.h"
#include "TextFile.h"

namespace PostLog {

std::string record(std::string_view time, std::string_view url, std::string_view subject)
{
    const std::string fields[] = {std::string(time), std::string(url), std::string(subject)};
    const std::string *const refs[] = {&fields[0], &fields[1], &fields[2]};
    std::string line;
    RecordCodec::appendRecord(line, refs, layout);
    return line;
}

void append(const std::filesystem::path &dir, std::time_t moment, std::string_view url,
            std::string_view subject)
{
    std::string header;
    RecordCodec::appendHeader(header, layout);
    TextFile::appendLines(dir / fileName, header, record(ErrorLog::localTimestamp(moment), url, subject));
}

} // namespace PostLog
