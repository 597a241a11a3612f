# Reads the same relay trace as relaytime.awk and counts, from the click to the box, the calls that
# the program's own code makes (a return address inside the exe's image, below the system DLLs)
# to find, check and remove files, per file or folder removed.
BEGIN { FS = ":" }
/Call user32\.PostMessageA\([0-9a-f]+,00000202,/ && !click { click = 1; launcher = $2; next }
!click || $2 == launcher || $3 !~ /^Call / { next }
$3 ~ /^Call user32\.MessageBoxA/ { if (!box) box = $2; next }
{
  if (box && $2 == box) exit
  if (!match($3, / ret=[0-9a-f]+$/)) next
  ret = substr($3, RSTART + 5)
  if (length(ret) != 8 || ret !~ /^0[0-9a-f]/) next   # not the exe: a DLL called it
  name = $3; sub(/\(.*/, "", name); sub(/^Call /, "", name)
  fn = name; sub(/^[A-Za-z0-9_]+\./, "", fn)
  all[$2]++
  if (fn ~ /File|Path|Director|Handle|^Nt|^Rtl|MultiByteToWideChar|GetProcAddress/) file[$2]++
  if (fn == "IsDBCSLeadByte") dbcs[$2]++
  if (fn == "DeleteFileA" || fn == "RemoveDirectoryA" || (fn == "SetFileInformationByHandle" && $3 ~ /\([0-9a-f]+,00000004,/) ||
      (fn == "NtSetInformationFile" && $3 ~ /,0000000d\)/)) removed[$2]++
}
END {
  for (t in removed) if (!p || removed[t] > removed[p]) p = t
  if (!p) { print "no removal in the trace"; exit 1 }
  printf "%.1f file calls per removal (%d removals, %d file calls, %d calls in all, %d IsDBCSLeadByte)\n",
    file[p] / removed[p], removed[p], file[p], all[p], dbcs[p]
}
