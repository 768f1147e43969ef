// The Domino Objects interfaces (interfaces/DominoObjects.h) on Windows: each adapter holds one
// IDispatch of the real server and calls its members by name.
#pragma once

#include "interfaces/DominoObjects.h"

#include <memory>

struct IDispatch;

namespace win32 {

// The session adapter for a session object the server created (a reference of its own is
// taken); an empty pointer for a null one.
std::shared_ptr<ISession> WrapSession(IDispatch* session);

} // namespace win32
