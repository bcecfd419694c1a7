#!/usr/bin/env bash
# Keeps out of the sources what Visual C++ rejects at /W4 /WX and GCC does
# not: the C runtime's calls that it deprecates (C4996) and an assignment
# used as a condition, even in double parentheses (C4706).
set -uo pipefail
cd "$(dirname "$0")/.."
sources=$(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -o -name '*.h')
deprecated='\b(strcpy|strcat|strncpy|strncat|wcscpy|wcscat|wcsncpy|wcsncat|sprintf|vsprintf|_snprintf|_snwprintf|scanf|fscanf|sscanf|swscanf|fwscanf|wscanf|fopen|_wfopen|freopen|_wfreopen|getenv|_wgetenv|strtok|wcstok|localtime|gmtime|ctime|asctime|mbstowcs|wcstombs|strdup|wcsdup|strerror|_open|_sopen|tmpnam|_wtmpnam)\s*\('
assignment='\b(if|while)\s*\(+\s*[][A-Za-z0-9_.>-]+\s*=[^=]'
found=0
if hits=$(echo "$sources" | xargs grep -nE "$deprecated" /dev/null); then
  echo "Deprecated C runtime calls (use the checked call, or the standard library):"
  echo "$hits"; found=1
fi
if hits=$(echo "$sources" | xargs grep -nE "$assignment" /dev/null); then
  echo "Assignments used as conditions (declare the variable in the condition, or compare):"
  echo "$hits"; found=1
fi
[ $found -eq 0 ] && echo "Sources: no deprecated C runtime call and no assignment as a condition."
exit $found
