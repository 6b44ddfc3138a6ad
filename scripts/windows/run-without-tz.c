/*
 * run-without-tz.exe PROGRAM [ARGS...]
 *
 * Runs PROGRAM under Wine the way Windows would see it: without a TZ variable.
 *
 * Wine chooses the Windows time zone from the Unix one, so TZ=Europe/Berlin
 * gives Windows programs "Central Europe Standard Time" with the right rules.
 * But Wine also hands TZ on to the Windows environment, where the C runtime
 * reads it in its own format ("Eur", UTC+0, US daylight saving rules) and
 * localtime() and wxDateTime go wrong. Started from here, PROGRAM keeps Wine's
 * time zone and loses the variable, as on a real Windows machine.
 *
 * The command line after our own name is passed on unchanged, the standard
 * handles are shared, and the exit code is PROGRAM's. PROGRAM runs in a job
 * that ends with us, so a test killed on a timeout leaves nothing behind.
 *
 * Wine now and then refuses to start a process with ERROR_INTERNAL_ERROR when
 * several start at once; a start that fails for any reason other than a
 * missing program is tried again a few times before we give up.
 */
#include <windows.h>
#include <stdio.h>

/* The command line after the first argument, parsed as the C runtime does. */
static wchar_t *after_first_argument(wchar_t *line)
{
  int quoted = 0;
  for (; *line; ++line) {
    if (*line == L'"')
      quoted = !quoted;
    else if (!quoted && (*line == L' ' || *line == L'\t'))
      break;
  }
  while (*line == L' ' || *line == L'\t')
    ++line;
  return line;
}

int main(void)
{
  wchar_t *command = after_first_argument(GetCommandLineW());
  if (!*command) {
    fputs("usage: run-without-tz.exe PROGRAM [ARGS...]\n", stderr);
    return 2;
  }
  SetEnvironmentVariableW(L"TZ", NULL);

  HANDLE job = CreateJobObjectW(NULL, NULL);
  if (job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {0};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  }

  STARTUPINFOW startup = {0};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process;
  DWORD error = 0;
  for (int attempt = 0; attempt < 6; ++attempt) {
    if (CreateProcessW(NULL, command, NULL, NULL, TRUE, CREATE_SUSPENDED, NULL, NULL,
                       &startup, &process)) {
      error = 0;
      break;
    }
    error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_BAD_EXE_FORMAT || error == ERROR_ACCESS_DENIED)
      break;
    Sleep(250 * (attempt + 1));
  }
  if (error) {
    fprintf(stderr, "run-without-tz: cannot start %ls (error %lu)\n", command, error);
    return 127;
  }
  if (job)
    AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  return (int)code;
}
