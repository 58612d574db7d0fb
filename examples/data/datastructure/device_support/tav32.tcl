# Device support for the tav32 processor family: the compiler flags a
# processor's hardware parameters call for.
proc tav32_cflags {proc} {
    set flags {}
    set inst [tget_handle $proc IPINST x]
    if {[tget_value $inst PARAMETER C_USE_HW_MUL] eq "1"} { lappend flags -mhw-mul }
    if {[tget_value $inst PARAMETER C_USE_DIV] eq "1"} { lappend flags -mhw-div }
    return $flags
}
