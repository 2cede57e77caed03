# Bash completion (installed with the tool): commands, each command's
# options, and files by what the command takes.
# shellcheck source=../../tools/completion/orvelxml.bash
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/completion/orvelxml.bash"
mkdir -p docs
touch a.xml B.SVG c.txt fonts.conf style.xslt docs/d.xml job.script libOrvelXml.so
# Prints the completions of the last of WORDS, as Tab would offer them.
complete_line() {
  COMP_WORDS=(orvelxml "$@")
  COMP_CWORD=$#
  _orvelxml
  printf '$ orvelxml %s<Tab>\n%s\n' "$*" "$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ')"
}
complete_line ''
complete_line ch
complete_line -q --module libOrvelXml.so f
complete_line check ''
complete_line check -r ''
complete_line check --
complete_line check -r docs --ext ''
complete_line format a.xml --indent ''
complete_line format a.xml -o ''
complete_line get ''
complete_line set --
complete_line set a.xml 'r/@k' ''
complete_line --module ''
complete_line run ''
complete_line pack a.xml ''
