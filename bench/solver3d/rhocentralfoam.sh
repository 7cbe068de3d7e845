#!/usr/bin/env bash
# Peer benchmark: OpenFOAM's rhoCentralFoam and our bench_solver3d on a box of
# the same cell count, in the same run, one core and two.
#
# Installs Debian's openfoam package if it is missing, writes a box case into
# a temporary directory, times rhoCentralFoam's stepping alone (start-up, mesh
# reading and the first steps left out), runs our bench_solver3d with one
# thread and two, and prints the figures side by side with their ratios.
# OpenFOAM is never needed to build or test Kalvex; only this script uses it.
set -euo pipefail
export LC_ALL=C   # a decimal point in the clock stamps and in awk, whatever the user's locale

repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/scripts/install-packages.sh"

usage() {
  cat <<EOF
Usage: $(basename "$0") [options] [path/to/bench_solver3d]
  --cells N    cells of the box (default 100000; ours decides, rhoCentralFoam follows it)
  --steps S    time steps a run (default 100)
  --warmup W   first steps left out of rhoCentralFoam's timing (default 5)
  --repeat R   runs of each configuration; the best figure counts (default 1)
  --serial     one core only
  --keep       keep the OpenFOAM case directory and say where it is
Our benchmark defaults to build/bench/solver3d/bench_solver3d of this checkout.
EOF
}

cells=100000 steps=100 warmup=5 repeat=1 parallel=1 keep=0
ours=$repo/build/bench/solver3d/bench_solver3d
while (($#)); do
  case $1 in
    --cells|--steps|--warmup|--repeat)
      (($# >= 2)) || { echo "$1 wants a value" >&2; exit 2; }
      printf -v "${1#--}" '%s' "$2"; shift 2 ;;
    --serial) parallel=0; shift ;;
    --keep) keep=1; shift ;;
    -h|--help) usage; exit 0 ;;
    -*) usage >&2; exit 2 ;;
    *) ours=$1; shift ;;
  esac
done
for v in cells steps warmup repeat; do
  [[ ${!v} =~ ^[0-9]+$ ]] || { echo "--$v wants a whole number, not '${!v}'" >&2; exit 2; }
done
((cells >= 8 && repeat >= 1)) || { echo "--cells wants at least 8, --repeat at least 1" >&2; exit 2; }
((warmup >= 1 && steps > warmup)) || { echo "--warmup wants at least 1 and fewer than --steps" >&2; exit 2; }
((parallel == 0 || $(nproc) >= 2)) || { echo "One core here: two-core runs left out."; parallel=0; }

have_ours=0
if [ -x "$ours" ]; then have_ours=1; else
  echo "Our benchmark is not built ($ours): rhoCentralFoam's figures alone."
fi

install_packages openfoam
# Debian's OpenFOAM finds its etc/ through WM_PROJECT_DIR; its bashrc is not needed.
export WM_PROJECT_DIR=${WM_PROJECT_DIR:-/usr/share/openfoam}
if [ "$(id -u)" -eq 0 ]; then export OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1; fi
# Containers often forbid the cross-memory attach Open MPI tries first.
export OMPI_MCA_btl_vader_single_copy_mechanism=none

work=$(mktemp -d "${TMPDIR:-/tmp}/rhocentralfoam.XXXXXX")
case_dir=$work/box
cleanup() { if ((keep)); then echo "Case kept in $case_dir"; else rm -rf "$work"; fi; }
trap cleanup EXIT

# Physics and numerics shared by the case files. The gas is the compressor's:
# molar mass 17.4 g/mol, gamma 1.3, so R = 8314.46/17.4 = 477.8 J/(kg K) and
# cp = gamma R/(gamma - 1) = 2070.6 J/(kg K); 20 bar and 300 K around a 45 bar
# pulse. Cells are 2 mm cubes; the sound speed is sqrt(gamma R T) = 432 m/s,
# so the time step of 0.5 us moves a sound wave 0.11 cells. rhoCentralFoam
# reports a Courant number of 0.16 at rest and 0.2 at most with the pulse's
# flow (the script prints it); tried on this case, 1 us still runs 300 steps
# (0.41) and 1.5 us diverges, so the step is well inside the limit.
readonly cell_size=0.002 time_step=5e-7 molar_mass=17.4 cp=2070.6
readonly p_ambient=20e5 p_pulse=45e5 temperature=300

foam_header() { # class object
  printf 'FoamFile\n{\n    version 2.0;\n    format  ascii;\n    class   %s;\n    object  %s;\n}\n\n' "$1" "$2"
}

# nx ny nz of nearly cubic cells whose product is as close to $1 as a box allows.
box_dims() {
  awk -v n="$1" 'BEGIN { a = int(exp(log(n) / 3) + 0.5); c = int(n / (a * a) + 0.5);
                         if (c < 1) c = 1; print a, a, c }'
}

write_mesh_dicts() { # nx ny nz
  local x y z
  read -r x y z < <(awk -v h=$cell_size -v a="$1" -v b="$2" -v c="$3" 'BEGIN { print a*h, b*h, c*h }')
  { foam_header dictionary blockMeshDict; cat <<EOF
// One block of $1 x $2 x $3 equal hexahedra of ${cell_size} m, like our box;
// its six faces are one wall patch.
scale 1;
vertices ((0 0 0) ($x 0 0) ($x $y 0) (0 $y 0) (0 0 $z) ($x 0 $z) ($x $y $z) (0 $y $z));
blocks (hex (0 1 2 3 4 5 6 7) ($1 $2 $3) simpleGrading (1 1 1));
edges ();
boundary
(
    walls
    {
        type wall;
        faces ((0 4 7 3) (1 2 6 5) (0 1 5 4) (3 7 6 2) (0 3 2 1) (4 5 6 7));
    }
);
EOF
  } > system/blockMeshDict

  { foam_header dictionary setFieldsDict; cat <<EOF
// A pressure pulse off the centre, so that waves cross and reflect from the
// walls in all three directions during the run; the temperature is uniform.
defaultFieldValues (volScalarFieldValue p $p_ambient);
regions
(
    sphereToCell
    {
        centre ($(awk -v x="$x" -v y="$y" -v z="$z" 'BEGIN { print 0.4*x, 0.45*y, 0.5*z }'));
        radius $(awk -v x="$x" -v y="$y" -v z="$z" 'BEGIN { m = x; if (y < m) m = y; if (z < m) m = z; print 0.2*m }');
        fieldValues (volScalarFieldValue p $p_pulse);
    }
);
EOF
  } > system/setFieldsDict
}

write_control_dicts() {
  { foam_header dictionary controlDict; cat <<EOF
// A fixed number of steps of a fixed size, no field written during the run
// and the dictionaries not re-read every step: what is timed is stepping.
application       rhoCentralFoam;
startFrom         startTime;
startTime         0;
stopAt            endTime;
endTime           $(awk -v s="$steps" -v dt=$time_step 'BEGIN { printf "%.10g", s*dt }');
deltaT            $time_step;
adjustTimeStep    no;
maxCo             0.2;
writeControl      timeStep;
writeInterval     $((steps + 1));
purgeWrite        0;
writeFormat       binary;
writePrecision    8;
timeFormat        general;
timePrecision     10;
runTimeModifiable false;
EOF
  } > system/controlDict

  { foam_header dictionary fvSchemes; cat <<'EOF'
// Second order in space as our solver: Kurganov-Tadmor central fluxes
// (Kurganov and Tadmor 2000, as in rhoCentralFoam's own tutorials) from face
// states reconstructed with the van Leer limiter. Time is one explicit Euler
// stage a step; our solver's stages of a step are counted as one update too.
fluxScheme Kurganov;
ddtSchemes           { default Euler; }
gradSchemes          { default Gauss linear; }
divSchemes           { default none; div(tauMC) Gauss linear; }
laplacianSchemes     { default Gauss linear corrected; }
interpolationSchemes
{
    default          linear;
    reconstruct(rho) vanLeer;
    reconstruct(U)   vanLeerV;
    reconstruct(T)   vanLeer;
}
snGradSchemes        { default corrected; }
EOF
  } > system/fvSchemes

  { foam_header dictionary fvSolution; cat <<'EOF'
// The conserved variables are updated explicitly (a diagonal "solve"). With
// zero viscosity rhoCentralFoam skips its implicit U and e corrections; their
// entries are here only so that the case also reads with a viscous gas.
solvers
{
    "(rho|rhoU|rhoE)" { solver diagonal; }
    U { solver smoothSolver; smoother GaussSeidel; nSweeps 2; tolerance 1e-9; relTol 0.01; }
    e { $U; tolerance 1e-10; relTol 0; }
}
EOF
  } > system/fvSolution

  { foam_header dictionary decomposeParDict; cat <<'EOF'
// Two halves of the box, one a process, cut across x.
numberOfSubdomains 2;
method             simple;
simpleCoeffs       { n (2 1 1); delta 0.001; }
EOF
  } > system/decomposeParDict
}

write_physics() {
  { foam_header dictionary thermophysicalProperties; cat <<EOF
// Inviscid perfect gas of constant heat capacity, as our solver's Euler
// equations: mu = 0 leaves rhoCentralFoam with its inviscid fluxes alone.
thermoType
{
    type            hePsiThermo;
    mixture         pureMixture;
    transport       const;
    thermo          hConst;
    equationOfState perfectGas;
    specie          specie;
    energy          sensibleInternalEnergy;
}
mixture
{
    specie         { molWeight $molar_mass; }
    thermodynamics { Cp $cp; Hf 0; }
    transport      { mu 0; Pr 1; }
}
EOF
  } > constant/thermophysicalProperties
  { foam_header dictionary turbulenceProperties; echo 'simulationType laminar;  // no turbulence model'; } \
    > constant/turbulenceProperties
}

write_initial_fields() {
  { foam_header volScalarField p; cat <<EOF
dimensions [1 -1 -2 0 0 0 0];
internalField uniform $p_ambient;
boundaryField { walls { type zeroGradient; } }
EOF
  } > 0/p
  { foam_header volScalarField T; cat <<EOF
dimensions [0 0 0 1 0 0 0];
internalField uniform $temperature;
boundaryField { walls { type zeroGradient; } }
EOF
  } > 0/T
  { foam_header volVectorField U; cat <<'EOF'
// Gas at rest; slip walls are the inviscid wall: no flow through, no friction.
dimensions [0 1 -1 0 0 0 0];
internalField uniform (0 0 0);
boundaryField { walls { type slip; } }
EOF
  } > 0/U
}

# Writes and meshes the case for about $1 cells; leaves foam_cells set.
make_case() {
  local nx ny nz
  read -r nx ny nz < <(box_dims "$1")
  foam_cells=$((nx * ny * nz))
  mkdir -p "$case_dir"/{0,constant,system}
  (
    cd "$case_dir"
    write_mesh_dicts "$nx" "$ny" "$nz"
    write_control_dicts
    write_physics
    write_initial_fields
    foam_step blockMesh
    foam_step setFields
    if ((parallel)); then foam_step decomposePar -force; fi
  )
  echo "rhoCentralFoam case: $nx x $ny x $nz = $foam_cells cells in $case_dir"
}

foam_step() { # utility args...: runs it in the case, its log beside it; stops on failure
  "$@" > "log.$1" 2>&1 || { echo "$1 failed:" >&2; tail -n 30 "log.$1" >&2; exit 1; }
}

# Each step's ExecutionTime line, prefixed with the wall clock it arrived at.
stamp_steps() {
  grep --line-buffered '^ExecutionTime' | while IFS= read -r line; do
    printf '%s %s\n' "$EPOCHREALTIME" "$line"
  done
}

# Runs rhoCentralFoam on $1 cores and prints its figure line; the rate is in
# $rate afterwards. Returns non-zero if it failed.
run_foam() {
  local cores=$1 log=$case_dir/log.rhoCentralFoam.$1 cmd=(rhoCentralFoam)
  ((cores == 1)) || cmd=(mpirun -np "$cores" rhoCentralFoam -parallel)
  (cd "$case_dir" && "${cmd[@]}" 2>&1 | tee "$log" | stamp_steps > "$log.stamps") || {
    echo "rhoCentralFoam on $cores core(s) failed; the end of its log:" >&2
    tail -n 20 "$log" >&2
    return 1
  }
  local co out
  co=$(awk '/^Mean and max Courant Numbers/ { if ($NF > m) m = $NF } END { print m + 0 }' "$log")
  # The steps after the warm-up, from the clock stamps; a single process
  # computes all the time it is given, so a wall time well above its CPU time
  # means other work had the cores.
  out=$(awk -v w="$warmup" -v s="$steps" -v n="$foam_cells" -v c="$cores" -v co="$co" '
    NR == w { t0 = $1; e0 = $4 }
    NR == s { t1 = $1; e1 = $4 }
    END {
      if (NR != s) { print "expected " s " steps, the log has " NR > "/dev/stderr"; exit 1 }
      wall = t1 - t0; cpu = e1 - e0
      if (wall <= 0) { print "the timed steps took no measurable time: more --steps" > "/dev/stderr"; exit 1 }
      printf "rhoCentralFoam cores=%d box_cells=%d steps=%d seconds=%.3f cpu_seconds=%.3f max_courant=%.3g cell_updates_per_second=%.4g\n",
             c, n, s - w, wall, cpu, co, n * (s - w) / wall
      if (cpu >= 0.5 && wall > 1.25 * cpu) printf "  (busy machine: wall time %.1f times the CPU time)\n", wall / cpu
    }' "$log.stamps") || return 1
  echo "$out"
  rate=$(sed -n '1s/.*cell_updates_per_second=//p' <<<"$out")
}

# Runs our benchmark with $1 threads and prints its line; the rate is in $rate
# and its cell count in $ours_cells afterwards.
run_ours() {
  local out line
  out=$("$ours" --box "$cells" --threads "$1" --steps "$steps") || {
    echo "$ours failed:" >&2; echo "$out" >&2; return 1; }
  line=$(grep -m1 'cell_updates_per_second=' <<<"$out") || {
    echo "$ours printed no cell_updates_per_second:" >&2; echo "$out" >&2; return 1; }
  echo "bench_solver3d $line"
  rate=$(sed -n 's/.*cell_updates_per_second=\([^ ]*\).*/\1/p' <<<"$line")
  ours_cells=$(sed -n 's/.*box_cells=\([0-9]*\).*/\1/p' <<<"$line")
}

declare -A best   # best rate by "foam1", "foam2", "ours1", "ours2"
keep_best() { # key rate
  best[$1]=$(awk -v a="${best[$1]:-0}" -v b="$2" 'BEGIN { print (b > a ? b : a) }')
}

for ((r = 1; r <= repeat; r++)); do
  ((repeat == 1)) || echo "-- run $r of $repeat"
  if ((have_ours)); then
    run_ours 1 || exit 1
    keep_best ours1 "$rate"
    if ((parallel)); then run_ours 2 || exit 1; keep_best ours2 "$rate"; fi
  fi
  [ -d "$case_dir" ] || make_case "${ours_cells:-$cells}"
  run_foam 1 || exit 1
  keep_best foam1 "$rate"
  # Two processes may be refused where MPI cannot start; one core still counts.
  if ((parallel)) && run_foam 2; then keep_best foam2 "$rate"; fi
done

# The figures side by side: best of the runs, cell updates per second.
ratio() { awk -v a="${best[$1]:-0}" -v b="${best[$2]:-0}" 'BEGIN { if (a > 0 && b > 0) printf "%.2f", a / b; else printf "-" }'; }
figure() { awk -v a="${best[$1]:-0}" 'BEGIN { if (a > 0) printf "%.4g", a; else printf "-" }'; }
echo
echo "Cell updates per second$( ((repeat == 1)) || echo ", best of $repeat runs"):"
printf '  %-16s %14s %14s %10s\n' "" "one core" "two cores" "speed-up"
printf '  %-16s %14s %14s %10s\n' rhoCentralFoam "$(figure foam1)" "$(figure foam2)" "$(ratio foam2 foam1)"
if ((have_ours)); then
  printf '  %-16s %14s %14s %10s\n' bench_solver3d "$(figure ours1)" "$(figure ours2)" "$(ratio ours2 ours1)"
  printf '  %-16s %14s %14s\n' "ours / theirs" "$(ratio ours1 foam1)" "$(ratio ours2 foam2)"
  echo "Targets: ours / theirs on one core at least 2; our speed-up on two cores at least 1.8."
fi
