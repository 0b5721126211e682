#include "host/HostSoundFile.h"

// The Windows build has no encoder library (none is packaged for the cross
// compiler): it renders raw PCM only.

bool SoundFilesAvailable()
{
    return false;
}

TSoundFile::~TSoundFile() = default;

bool TSoundFile::Open(std::FILE*, const TSoundFileSpec& Spec, std::string& Error)
{
    Error = std::string("this build of morvel has no encoder for ") + Spec.Format->Words + ": it writes raw PCM only";
    return false;
}

bool TSoundFile::Write(const int16_t*, int64_t)
{
    return false;
}

bool TSoundFile::Finish(std::string& Error)
{
    Error = "nothing was written";
    return false;
}
