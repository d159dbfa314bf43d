#!/usr/bin/env bash
# Writes the manual page and the bash completion of orrery from the
# command's own --help texts, so that neither can drift from it.
#
#   manpage.sh ORRERY MANPAGE COMPLETION
set -euo pipefail
orrery=$1
manpage=$2
completion=$3
export LC_ALL=C.UTF-8

help=$("$orrery" --help)
subcommands=$(printf '%s\n' "$help" | awk '/^Subcommands:/ { on = 1; next } on && !NF { exit } on { print $1 }')
version=$("$orrery" --version)

# Help text as roff: paragraphs filled, indented lines (options, examples)
# kept as written; backslashes escaped, and a line starting with a dot or
# quote kept from reading as a request.
roff() {
  sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/" | awk '
    /^ / { if (!nf) print ".nf"; nf = 1; print; next }
    { if (nf) print ".fi"; nf = 0 }
    !NF { next }
    /:$/ { print ".SS " $0; next }
    { print ".PP"; print }
    END { if (nf) print ".fi" }'
}

{
  echo ".TH ORRERY 1 \"\" \"orrery $version\" \"User Commands\""
  echo ".SH NAME"
  echo "orrery \\- geodesy, camera and culling from the shell, computed by libmath"
  echo ".SH SYNOPSIS"
  echo ".B orrery"
  echo "\\fISUBCOMMAND\\fR [\\fIOPTIONS\\fR] [\\fIVALUES\\fR]"
  echo ".SH DESCRIPTION"
  "$orrery" --help | roff
  for sub in $subcommands; do
    echo ".SH SUBCOMMAND ${sub^^}"
    "$orrery" "$sub" --help | roff
  done
  echo ".SH EXIT STATUS"
  echo "0 on success, 2 for a bad argument or input line, 1 when the output could not be written."
} >"$manpage"

{
  echo "# bash completion of orrery: its subcommands and each one's options."
  echo "_orrery() {"
  echo "  local cur=\${COMP_WORDS[COMP_CWORD]} words"
  echo "  if [ \"\$COMP_CWORD\" -eq 1 ]; then"
  echo "    words=\"$(echo $subcommands) --help --version\""
  echo "  else"
  echo "    case \${COMP_WORDS[1]} in"
  for sub in $subcommands; do
    help=$("$orrery" "$sub" --help)
    options=$(printf '%s\n' "$help" |
      awk '/^Options:/ { on = 1; next } on && !NF { exit } on && $1 ~ /^-/ { n = split($1, o, ","); for (i = 1; i <= n; ++i) printf "%s ", o[i] }')
    echo "    $sub) words=\"${options% }\" ;;"
  done
  echo "    *) words= ;;"
  echo "    esac"
  echo "  fi"
  echo "  mapfile -t COMPREPLY < <(compgen -W \"\$words\" -- \"\$cur\")"
  echo "}"
  echo "complete -o default -F _orrery orrery"
} >"$completion"
