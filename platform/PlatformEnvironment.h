#pragma once
// The process's environment variables.

// The value of the variable Name; null when it is not set. Valid until the
// environment changes.
const char* PlatformEnvironmentValue(const char* Name);
