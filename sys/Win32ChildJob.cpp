#include "sys/Win32ChildJob.h"

#include "sys/WindowsApi.h"

namespace sys {

namespace {

// The exit code of a process that the job ended: the wait for it timed out.
constexpr UINT kEndedExitCode = ERROR_TIMEOUT;
// How long a process that was ended may take to go: the system ends it at once, but
// releases it only once its pending input and output are done.
constexpr DWORD kGoneMilliseconds = 10 * 1000;

}  // namespace

Win32ChildJob::~Win32ChildJob() {
    if (job_ != nullptr) ::CloseHandle(job_);
}

uint32_t Win32ChildJob::Assign(void* process) {
    if (job_ == nullptr) {
        HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
        if (job == nullptr) return ::GetLastError();
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        if (!::SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                       sizeof(limits))) {
            const DWORD error = ::GetLastError();
            ::CloseHandle(job);
            return error;
        }
        job_ = job;
    }
    return ::AssignProcessToJobObject(job_, process) ? ERROR_SUCCESS : ::GetLastError();
}

bool Win32ChildJob::End(void* process, bool inJob) {
    const BOOL ending = inJob ? ::TerminateJobObject(job_, kEndedExitCode)
                              : ::TerminateProcess(process, kEndedExitCode);
    if (!ending) return false;
    const DWORD waited = ::WaitForSingleObject(process, kGoneMilliseconds);
    if (waited == WAIT_OBJECT_0) return true;
    if (waited == WAIT_TIMEOUT) ::SetLastError(ERROR_TIMEOUT);
    return false;
}

}  // namespace sys
