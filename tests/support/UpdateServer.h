// The launcher's update address on a local test server: the compiled-in path on the server's
// host, as the program's start makes it for the demo.
#pragma once

#include "core/UpdateAddress.h"
#include "support/ScriptedHttpServer.h"

namespace menu::test {

inline QString updateAddressOn(const ScriptedHttpServer &server)
{
    return core::withUpdateHost(core::compiledUpdateAddress(), server.address(QString()));
}

} // namespace menu::test
