# Bash completion of orvandi3: its switches, and the stored session and project names.
_orvandi3() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  case $cur in
    --compare=*)
      COMPREPLY=($(compgen -P --compare= -W "time content size time-or-content" -- "${cur#--compare=}"))
      return ;;
    -*)
      COMPREPLY=($(compgen -W "-sync -back -update -copy -smart -auto -scan -R -RM -M -O -H -X -XD -date: -I -log
        -log= -nolog -package= -? --help --version --history --no-history --backup --backup= --no-backup --trash
        --no-trash --empty-folders --compare= --quiet --verbose --list-names" -- "$cur"))
      return ;;
  esac
  # The names come from the configuration this command line would use.
  local word config=()
  for word in "${COMP_WORDS[@]:1}"; do
    [[ $word == -I* ]] && config=("$word")
  done
  local names IFS=$'\n'
  names=$("${COMP_WORDS[0]}" --list-names "${config[@]}" 2>/dev/null)
  COMPREPLY=($(compgen -W "$names" -- "$cur") $(compgen -f -- "$cur"))
}
complete -o filenames -F _orvandi3 orvandi3
