# Sourced by the test scripts: ZM_TIME_FACTOR, the build's setting that every test gets in its
# environment (tests/CMakeLists.txt; 1 when unset, as when a script runs by hand), stretches every
# wait for what a Windows program does. Sets zm_time_factor; the Windows test programs read the
# same variable (tests/support/time_factor.h).
zm_time_factor=${ZM_TIME_FACTOR:-1}
if [[ ! $zm_time_factor =~ ^[1-9][0-9]*$ ]]; then
  echo "ZM_TIME_FACTOR must be a positive whole number, not '$zm_time_factor'" >&2
  exit 2
fi

# Seconds, as sleep takes them, times the factor: stretched_seconds 0.5 -> 0.5, 1, 1.5, ...
stretched_seconds() { awk -v s="$1" -v f="$zm_time_factor" 'BEGIN { print s * f }'; }
