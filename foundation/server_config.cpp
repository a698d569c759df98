#include "foundation/app_info.h"

// Scaffolding: the reader of the server configuration files comes with the
// program start; until then no file is read and the built-in servers apply.
bool ReadServerConfigFiles(TNAppInfo& app)
{
    app.PimServersCount = 0;
    return false;
}
