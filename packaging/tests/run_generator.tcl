# Runs a generator written for `tavsw tcl` in a plain tclsh through the
# tavsw package, then checks what a script sees when it misuses the package.
#   tclsh run_generator.tcl EXAMPLES OUT.h
# Prints "checks: ok" when every check passed; exits 1 at the first that fails.
lassign $argv examples out
package require tavsw

proc expect_error {what script pattern} {
    if {![catch {uplevel 1 $script} message]} {
        puts stderr "$what: no error"
        exit 1
    }
    if {![string match $pattern $message]} {
        puts stderr "$what: the error was '$message', expected '$pattern'"
        exit 1
    }
}

set help [tavsw::build --help]
if {![string match "Builds the runtime model*\n  -hw HW.json *\nusage: tavsw::build SYSTEM.mss*" $help]} {
    puts stderr "tavsw::build --help said: $help"
    exit 1
}
expect_error usage {tavsw::build} {usage: tavsw::build SYSTEM.mss*}
expect_error "option without value" {tavsw::build $examples/system.mss -hw} {usage: *}
expect_error "missing MSS" {tavsw::build $examples/none.mss} \
    "Cannot open file \"$examples/none.mss\" for reading"
expect_error "missing repository" {
    tavsw::build $examples/system.mss -hw $examples/hw/system.json -repo $examples/nowhere
} "-repo $examples/nowhere: no such directory"
# What the readers say, with file and line, is the error.
expect_error "not an MSS" {
    tavsw::build $examples/hw/system.json -hw $examples/hw/system.json
} "$examples/hw/system.json line 1 - Syntax error. Expecting PARAMETER\n*"
expect_error "unknown processor" {
    tavsw::build $examples/system.mss -repo $examples/repo -proc nope
} "$examples/hw/system.json: no processor instance 'nope' in the hardware"

# A first model, whose handle must be withdrawn by the second build.
set first [tavsw::build $examples/system.mss -hw $examples/hw/system.json -repo $examples/repo]
if {$first eq "" || $first ne $::tavsw::model} {
    puts stderr "the build returned '$first', ::tavsw::model is '$::tavsw::model'"
    exit 1
}
set firstProcs [tget_handle $first PROCESSOR *]
# Without -hw the MSS's HW_SPEC_FILE names the hardware.
set model [tavsw::build $examples/system.mss -repo $examples/repo]
if {[llength [tget_handle $model PROCESSOR *]] != [llength $firstProcs] ||
    [llength $firstProcs] == 0} {
    puts stderr "the models have different processors"
    exit 1
}
expect_error "stale handle" {tget_handle [lindex $firstProcs 0] DRIVER *} {*NULL handle*}

set argv [list $out]
set argc 1
source $examples/gen/params_header.tcl
puts "checks: ok"
