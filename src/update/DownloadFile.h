#pragma once

#include "THttpClient.h"

#include <filesystem>
#include <string>

// Fetches source into the file at path: an older file there goes first, and
// the file is written only once the whole answer is in, so any failure leaves
// no file at all. Returns true when the file was written whole (a transfer
// that ended at the redirect limit leaves it empty), false when the transfer
// or the writing failed. A file that cannot be created raises EFileError; a
// stopped transfer raises ETransferCancelled, after the file is gone.
bool DownloadFile(THttpClient &client, const std::string &source, const std::filesystem::path &path);
