# What this host can run, and what that means for Wine. Sourced by setup, lib.sh and the
# setup tests; defines functions only.

# Whether the kernel runs 32-bit x86 Linux programs, found by running one: a 96-byte static
# ELF32 program that only exits with code 42. Kernels built or booted without 32-bit
# emulation refuse it with "Exec format error".
host_runs_32bit() {
  local probe status
  probe=$(mktemp)
  local header='\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\2\0\3\0\1\0\0\0\124\200\4\10\64\0\0\0'
  header+='\0\0\0\0\0\0\0\0\64\0\40\0\1\0\0\0\0\0\0\0'
  local segment='\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0'
  local code='\270\1\0\0\0\273\52\0\0\0\315\200'  # mov eax, 1; mov ebx, 42; int 0x80
  # shellcheck disable=SC2059
  printf "$header$segment$code" >"$probe"
  chmod +x "$probe"
  status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 42 ]
}

# What to do about wine32:i386, given whether the host runs 32-bit programs (yes|no) and
# whether wine32 is installed (yes|no). Without 32-bit support wine32 must go: Debian's wine
# wrapper starts its loader whenever it is there, and that loader cannot start.
wine32_action() {
  local runs32=$1 installed=$2
  case "$runs32/$installed" in
    yes/no) echo install ;;
    yes/yes) echo keep ;;
    no/yes) echo remove ;;
    no/no) echo none ;;
    *) echo "wine32_action: want yes|no yes|no, got '$runs32' '$installed'" >&2; return 2 ;;
  esac
}

# The architectures whose test suite this host runs: the product's own (i686) where 32-bit
# programs run, the x64 build everywhere; VANTELO_ARCH narrows the list to one.
test_architectures() {
  local runs32=$1 wanted=${2:-}
  case "$wanted" in
    "") [ "$runs32" = yes ] && echo "i686 x86_64" || echo "x86_64" ;;
    x86_64) echo x86_64 ;;
    i686)
      if [ "$runs32" = yes ]; then echo i686; else
        echo "VANTELO_ARCH=i686: this host runs no 32-bit x86 programs" >&2
        return 1
      fi ;;
    *) echo "VANTELO_ARCH must be i686 or x86_64, not '$wanted'" >&2; return 2 ;;
  esac
}

# The architecture whose bar scripts/run starts: the shipped 32-bit one where it can run.
run_architecture() {
  [ "$1" = yes ] && echo i686 || echo x86_64
}

yes_no() { "$@" && echo yes || echo no; }
