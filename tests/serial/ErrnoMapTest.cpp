#include "serial/ErrnoMap.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace win32;

namespace {

TEST(ErrnoMap, HeldOrForbiddenPortsAreAccessDenied)
{
    for (int error : {EACCES, EPERM, EBUSY, EAGAIN, EWOULDBLOCK})
        EXPECT_EQ(Win32FromErrno(error), ERROR_ACCESS_DENIED) << error;
}

TEST(ErrnoMap, MissingDevicesAreFileNotFound)
{
    for (int error : {ENOENT, ENODEV, ENXIO})
        EXPECT_EQ(Win32FromErrno(error), ERROR_FILE_NOT_FOUND) << error;
}

TEST(ErrnoMap, OtherFailuresGetTheirNearestCode)
{
    EXPECT_EQ(Win32FromErrno(0), ERROR_SUCCESS);
    EXPECT_EQ(Win32FromErrno(EIO), ERROR_GEN_FAILURE);
    EXPECT_EQ(Win32FromErrno(ETIMEDOUT), ERROR_TIMEOUT);
    EXPECT_EQ(Win32FromErrno(EBADF), ERROR_INVALID_HANDLE);
    EXPECT_EQ(Win32FromErrno(EINVAL), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Win32FromErrno(ENOTTY), ERROR_INVALID_FUNCTION);
    EXPECT_EQ(Win32FromErrno(EMFILE), ERROR_TOO_MANY_OPEN_FILES);
    EXPECT_EQ(Win32FromErrno(ENOMEM), ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(Win32FromErrno(ENOTDIR), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(Win32FromErrno(EDOM), ERROR_GEN_FAILURE);
}

}  // namespace
