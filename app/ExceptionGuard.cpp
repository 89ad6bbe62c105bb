#include "app/ExceptionGuard.h"
#include "app/ErrorBox.h"

namespace typa {

void ReportCurrentException() noexcept { ShowCurrentException(__builtin_return_address(0)); }

} // namespace typa
