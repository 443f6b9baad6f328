#!/usr/bin/env bash
# Writes the bash completion of a batch program from its own --help, and that of each of
# its subcommands, so that the completion offers exactly what the program takes.
#   make_completion.sh PROGRAM NAME > NAME
set -euo pipefail
program=$1
name=$2
function=_$(tr -c 'a-zA-Z0-9\n' _ <<<"$name")

# The option names of a help text ("  -h,--help  ...", "  --set NAME=VALUE ...").
options() {
  sed -n 's/^  \(-[a-zA-Z],\)\{0,1\}\(--[a-zA-Z0-9-]*\).*/\2/p' | sort -u | tr '\n' ' '
}
# The options that take a value ("  --out TEXT=.", "  --seed UINT").
valued() {
  sed -n 's/^  \(-[a-zA-Z],\)\{0,1\}\(--[a-zA-Z0-9-]*\) [A-Z].*/\2/p' | sort -u | tr '\n' ' '
}
# The subcommands: the first word of each line of the "Subcommands:" section.
subcommands() {
  awk '/^Subcommands:/ { inside = 1; next } /^[^ ]/ { inside = 0 } inside && /^  [a-z]/ { print $1 }'
}

help=$("$program" --help)
mapfile -t subs < <(subcommands <<<"$help")
takes_value=$(valued <<<"$help")
for sub in "${subs[@]}"; do takes_value+=$("$program" "$sub" --help | valued); done
takes_value=$(tr ' ' '\n' <<<"$takes_value" | sort -u | tr '\n' ' ')

cat <<EOF
# bash completion for $name, made from its --help when it was built.
$function() {
  local cur=\${COMP_WORDS[COMP_CWORD]} prev=\${COMP_WORDS[COMP_CWORD - 1]} sub="" i words
  # An option's value (a file, a folder, NAME=VALUE): the shell's own completion.
  case " $takes_value" in *" \$prev "*) COMPREPLY=(); return ;; esac
  for ((i = 1; i < COMP_CWORD; i++)); do
    case \${COMP_WORDS[i]} in
EOF
for sub in "${subs[@]}"; do
  echo "      $sub) sub=$sub; break ;;"
done
cat <<EOF
    esac
  done
  case \$sub in
EOF
for sub in "${subs[@]}"; do
  echo "    $sub) words=\"$("$program" "$sub" --help | options)\" ;;"
done
echo "    *) words=\"${subs[*]} $(options <<<"$help")\" ;;"
cat <<EOF
  esac
  COMPREPLY=(\$(compgen -W "\$words" -- "\$cur"))
}
complete -o bashdefault -o default -F $function $name
EOF
