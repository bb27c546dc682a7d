#pragma once
// What the running program gets from the machine it runs on. One implementation per backend
// folder (posix/, win32/); the build picks it.

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/registry.h"

namespace vel::platform {

// The folder that holds the running program, without a trailing separator, in the form the
// program's paths use (a Windows path on Windows, a POSIX path elsewhere).
std::string programFolder();

// The machine's registry: on Windows the real one; elsewhere the .reg files named by
// VELMORA_REGISTRY (separated by ':'), or an empty registry.
std::unique_ptr<Registry> systemRegistry();

// The machine's files: Win32 on Windows; elsewhere MappedFileSystem at its default root.
std::unique_ptr<FileSystem> systemFiles();

}  // namespace vel::platform
