# The plan of a dense job stays readable: CHECKER writes a road survey of about 3,000 points
# along 3 km, the probe draws its plan, and CHECKER finds no two labels overlapping, at least
# MINIMUM of them drawn and each of NAMES labelled (the stations and the points the checks name).
#   cmake -DPROBE=... -DCHECKER=... [-DEMULATOR=...] -DFOLDER=... -DMINIMUM=n -DNAMES=a|b
#         [-DRSVG_CONVERT=...] -P DensePlan.cmake
set(road ${FOLDER}/dense-road.xml)
set(plan ${FOLDER}/dense-road-plan.svg)
include(${CMAKE_CURRENT_LIST_DIR}/ProbeScript.cmake)
host_path(${road} host_road)
host_path(${plan} host_plan)
file(REMOVE ${road} ${plan})
execute_process(COMMAND ${EMULATOR} ${CHECKER} road ${host_road} RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "the road job could not be written")
endif()
execute_process(COMMAND ${EMULATOR} ${PROBE} --output ${host_plan}.trace --plan ${host_plan}
        ${host_road}
    RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "landxml-probe exited with ${status}:\n${errors}")
endif()
string(REPLACE "|" ";" names "${NAMES}")
execute_process(COMMAND ${EMULATOR} ${CHECKER} labels ${host_plan} ${MINIMUM} ${names}
    RESULT_VARIABLE failed OUTPUT_VARIABLE counts ERROR_VARIABLE why)
message(STATUS "${counts}")
if(failed)
    message(FATAL_ERROR "the plan of the road is not readable:\n${why}")
endif()
if(RSVG_CONVERT)
    render_plan(${plan})
endif()
