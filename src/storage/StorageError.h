#pragma once
// Why a file of the data tree could not be written or read, in the words the operator is
// shown. Storage hands it back; the window or the step's save decides what is shown.

#include "platform/Result.h"

#include <string>

namespace dilato {

struct StorageError {
    std::string message;
};

template <class T>
using Stored = Result<T, StorageError>;

} // namespace dilato
