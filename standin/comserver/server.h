#pragma once
// The stand-in's objects as COM objects, shared by its two servers: the in-process one (a DLL)
// and the local one (an executable). Each entry file only hands out the class objects and says
// how its module stays alive.

#include <windows.h>

namespace vel::standin::com {

// The class object of one served class, or CLASS_E_CLASSNOTAVAILABLE.
HRESULT classObject(REFCLSID clsid, REFIID riid, void** out);

// Every object the server hands out calls these as it is made and as it goes, so that the DLL
// knows when it may unload and the local server when to end.
void objectMade();
void objectGone();

// True when no object lives and no client holds a lock on a class object.
bool canUnload();

// Called when an object is made and when it goes, and on LockServer: the local server holds its
// process by them (CoAddRefServerProcess / CoReleaseServerProcess). The DLL sets none.
void setProcessHold(void (*hold)(), void (*release)());

}  // namespace vel::standin::com
