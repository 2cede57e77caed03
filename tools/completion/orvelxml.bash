# Bash completion for orvelxml: commands, their options, and files where a
# command takes files (documents by their extensions, folders for check -r).
# Installed as share/bash-completion/completions/orvelxml; plain compgen, so
# it works without the bash-completion package's helpers too.

_orvelxml_files() {
  # Files matching the extended pattern $1 and folders, or any file or folder for an empty one.
  local IFS=$'\n' pattern=$1
  if [[ -n $pattern ]]; then
    COMPREPLY+=($(compgen -f -X "!$pattern" -- "$cur") $(compgen -d -S / -- "$cur"))
    compopt -o filenames -o nospace 2>/dev/null
  else
    COMPREPLY+=($(compgen -f -- "$cur"))
    compopt -o filenames 2>/dev/null
  fi
}

_orvelxml() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local documents='@(*.[xX][mM][lL]|*.[xX][mM][lL][zZ]|*.[xX][sS][lL]|*.[xX][sS][lL][tT]|*.[sS][vV][gG]|*.[xX][sS][dD]|*.[cC][oO][nN][fF])'
  local commands='demo check format get set add delete run pack unpack help'
  COMPREPLY=()
  shopt -s extglob

  # The command is the first word that is not a global option or --module's value.
  local i command='' operand=0
  for ((i = 1; i < COMP_CWORD; i++)); do
    local word=${COMP_WORDS[i]}
    if [[ -z $command ]]; then
      case $word in
        --module) ((i++)) ;;
        -*) ;;
        *) command=$word ;;
      esac
    elif [[ $word != -* && ${COMP_WORDS[i - 1]} != @(-o|-r|--ext|--indent|--module) ]]; then
      ((operand++))
    fi
  done

  case $prev in
    --module)
      _orvelxml_files '@(*.so|*.so.*|*.dll)'
      return ;;
    -r)
      local IFS=$'\n'
      COMPREPLY=($(compgen -d -S / -- "$cur"))
      compopt -o filenames -o nospace 2>/dev/null
      return ;;
    -o)
      _orvelxml_files ''
      return ;;
    --indent)
      COMPREPLY=($(compgen -W '0 1 2 3 4 8' -- "$cur"))
      return ;;
    --ext)
      COMPREPLY=($(compgen -W 'xml xmlz xsl xslt svg xsd conf rng' -- "$cur"))
      return ;;
  esac

  if [[ -z $command ]]; then
    if [[ $cur == -* ]]; then
      COMPREPLY=($(compgen -W '--module -q --quiet --version --help' -- "$cur"))
    else
      COMPREPLY=($(compgen -W "$commands" -- "$cur"))
    fi
    return
  fi

  if [[ $cur == -* ]]; then
    local options='--help'
    case $command in
      check) options='--lenient --no-namespaces --strict -v --verbose -r --ext --help -q' ;;
      format) options='-o --indent --no-namespaces --help' ;;
      get | set | add | delete) options='--no-namespaces --help' ;;
    esac
    COMPREPLY=($(compgen -W "$options -" -- "$cur"))
    return
  fi

  case $command in
    check | format | demo) _orvelxml_files "$documents" ;;
    get | set | add | delete)
      # FILE first; PATH, VALUE and MARKUP are the user's to write.
      ((operand == 0)) && _orvelxml_files "$documents" ;;
    run) _orvelxml_files '*.script' ;;
    pack | unpack) ((operand < 2)) && _orvelxml_files '' ;;
    help) ;;
  esac
}

complete -F _orvelxml orvelxml
