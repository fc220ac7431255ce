# Sourced by the screenshot scripts inside their virtual X screen: waits up to $1 seconds
# for the program's window and sets `id` to it, or fails.
await_window() {
  id=
  for _ in $(seq 1 $(($1 * 2))); do
    id=$(xwininfo -root -tree | awk '/"Quenvar Tarnwick"/ {print $1; exit}')
    [ -n "$id" ] && break
    sleep 0.5
  done
  [ -n "$id" ] || { echo "the window did not appear" >&2; return 1; }
}
