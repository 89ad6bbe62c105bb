#include "app/Application.h"

namespace typa {

Application& App()
{
    static Application app;
    return app;
}

} // namespace typa
