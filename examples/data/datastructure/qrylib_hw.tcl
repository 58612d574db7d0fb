# Queries over several hardware instances.

# The handles of the instances a processor addresses, in hardware order.
proc hw_addressable {proc} {
    return [tget_handle $proc ADDRESSABLE *]
}

# The names of a list of hardware handles.
proc hw_names {handles} {
    set names {}
    foreach h $handles { lappend names [tget_value $h name] }
    return $names
}

# The instances a processor addresses whose IP type is TYPE.
proc hw_addressable_of_type {proc type} {
    set found {}
    foreach h [hw_addressable $proc] {
        if {[string equal -nocase [tget_value $h OPTION IPTYPE] $type]} { lappend found $h }
    }
    return $found
}
