# Reads a Wine relay trace (+timestamp,+relay) of one bench_launch click run and says where the
# program's time went from the click to its message box: time inside its window paints and inside
# the calls named below, as shares of that interval. The trace slows every call, so the shares,
# not the times, are what carry over to a run without it.
BEGIN { FS = ":" }
# The launcher's button-up is the click; the thread that later opens a box is the program's.
/Call user32\.PostMessageA\([0-9a-f]+,00000202,/ && !click { click = $1; launcher = $2; next }
!click || $2 == launcher { next }
{
  t = $1; tid = $2
  if ($3 ~ /^Call user32\.MessageBoxA/) { if (!box[tid]) box[tid] = t; next }
  if ($3 ~ /^Call user32\.BeginPaint/) { paintStart[tid] = t; paints[tid]++; next }
  if ($3 ~ /^Ret  user32\.EndPaint/) { if (paintStart[tid]) paint[tid] += t - paintStart[tid]; paintStart[tid] = 0; next }
  # ntdll's calls count only where the program makes them, not where kernel32 does for it.
  if ($3 ~ /^(Call |Ret  )ntdll\./ && !($3 ~ / ret=0[0-9a-f]+$/ && length(substr($3, index($3, " ret=") + 5)) == 8)) next
  if (match($3, /^(Call |Ret  )[A-Za-z0-9_]+\.(PeekMessageA|DeleteFileA|GetPrivateProfileStringA|SHGetFolderPathA|Sleep|RemoveDirectoryA|CopyFileA|CreateProcessA|CreateFileA|GetFinalPathNameByHandleA|SetFileInformationByHandle|GetFileInformationByHandle|GetFileAttributesA|CloseHandle|NtOpenFile|NtQueryInformationFile|NtQueryObject|NtSetInformationFile|NtClose)\(/)) {
    name = $3; sub(/\(.*/, "", name); sub(/^(Call |Ret  )[A-Za-z0-9_]+\./, "", name)
    if ($3 ~ /^Call/) { start[tid, name] = t; calls[tid, name]++ }
    else if ((tid, name) in start) { spent[tid, name] += t - start[tid, name]; delete start[tid, name] }
  }
}
END {
  for (tid in box) if (!p || box[tid] < box[p]) p = tid
  if (!p) { print "no box in the trace"; exit 1 }
  total = box[p] - click
  printf "click to box %.0f ms traced; %.0f%% in %d window paints", 1000 * total, 100 * paint[p] / total, paints[p]
  n = split("PeekMessageA GetPrivateProfileStringA DeleteFileA SHGetFolderPathA RemoveDirectoryA Sleep CopyFileA CreateProcessA CreateFileA GetFinalPathNameByHandleA GetFileInformationByHandle SetFileInformationByHandle GetFileAttributesA CloseHandle NtOpenFile NtQueryInformationFile NtQueryObject NtSetInformationFile NtClose", names, " ")
  for (i = 1; i <= n; i++)
    if (calls[p, names[i]]) printf ", %.0f%% in %d %s", 100 * spent[p, names[i]] / total, calls[p, names[i]], names[i]
  printf "\n"
}
