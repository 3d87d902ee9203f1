#include "serial/ErrnoMap.h"

#include <cerrno>

using namespace win32;

LONG Win32FromErrno(int error)
{
    switch (error) {
    case 0: return ERROR_SUCCESS;
    case EACCES:
    case EPERM:
    case EBUSY:
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOENT:
    case ENODEV:
    case ENXIO: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ELOOP: return ERROR_PATH_NOT_FOUND;
    case ENAMETOOLONG: return ERROR_FILENAME_EXCED_RANGE;
    case EMFILE:
    case ENFILE: return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case ENOTTY: return ERROR_INVALID_FUNCTION;
    case EOPNOTSUPP: return ERROR_NOT_SUPPORTED;
    case EPIPE: return ERROR_BROKEN_PIPE;
    case ECANCELED: return ERROR_OPERATION_ABORTED;
    case ETIMEDOUT: return ERROR_TIMEOUT;
    case EIO:
    default: return ERROR_GEN_FAILURE;
    }
}
