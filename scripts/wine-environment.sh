# Sourced by everything that runs Wine: no debug output, no offer to install
# Mono or Gecko, no menu entries on the host's desktop.
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
