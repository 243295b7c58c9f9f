#include "Errors.h"

#include <cstring>

EFileError::EFileError(std::string action, std::filesystem::path file, std::string reason)
    : EError(action + " \"" + file.string() + "\": " + reason), m_file(std::move(file)),
      m_reason(std::move(reason))
{
}

EFileError EFileError::fromErrno(std::string action, std::filesystem::path file, int err)
{
    return EFileError(std::move(action), std::move(file), std::strerror(err));
}

EListError::EListError(long long index)
    : EError("List index out of bounds (" + std::to_string(index) + ")")
{
}
