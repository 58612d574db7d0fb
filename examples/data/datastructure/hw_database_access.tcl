# Helpers over hardware handles: one instance at a time.

# The value of hardware parameter NAME of the instance behind handle INST;
# "" when it has none.
proc hw_param {inst name} {
    return [tget_value $inst PARAMETER $name]
}

# The IP type, version and class of an instance.
proc hw_type {inst} { return [tget_value $inst OPTION IPTYPE] }
proc hw_version {inst} { return [tget_value $inst OPTION IPVERSION] }
proc hw_class {inst} { return [tget_value $inst OPTION IPCLASS] }

# Every hardware parameter of an instance as a dict: name -> value.
proc hw_params_dict {inst} {
    set result [dict create]
    foreach p [tget_handle $inst PARAMETER *] {
        dict set result [tget_value $p name] [tget_value $p]
    }
    return $result
}
