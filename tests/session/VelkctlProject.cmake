# velkctl new, show and commands on a temporary project file. Run with -DVELKCTL=<program> -DWORK=<folder>.
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
set(project "${WORK}/p.db")

function(run_velkctl expected_status)
    execute_process(COMMAND "${VELKCTL}" ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL expected_status)
        message(FATAL_ERROR "velkctl ${ARGN}: exit ${status}, expected ${expected_status}\n${out}\n${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

function(sqlite script)
    execute_process(COMMAND sqlite3 -batch -noheader "${project}" "${script}" RESULT_VARIABLE status
                    OUTPUT_VARIABLE out)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "sqlite3 failed on: ${script}")
    endif()
    set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_contains text piece)
    string(FIND "${text}" "${piece}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "missing: ${piece}\nin:\n${text}")
    endif()
endfunction()

run_velkctl(0 new "${project}")
if(NOT out STREQUAL "")
    message(FATAL_ERROR "velkctl new printed: ${out}")
endif()
sqlite("select count(*) from sqlite_master where type='table'; select count(*) from keyOherData where addTimeOut=5000;")
if(NOT out STREQUAL "64\n60\n")
    message(FATAL_ERROR "new left: ${out}")
endif()

# A fresh project writes nothing but the edit framing.
run_velkctl(0 commands "${project}")
expect_contains("${out}" "QM-PANEL-intoEdit\n")

# GBK texts from another writer, a backslash, a slot with two actions and a time setting.
sqlite("update enum_table set size=2, data1=CAST(X'D6D0CEC4' AS TEXT), data2='a\\b' where enumindex=1;
        update variable set init=1, min=0, max=100 where vindex=3;
        update net_table set ip=-1062731355, port=4800 where netindex=5;
        insert into key_table4 (id,function,channel,type,varNum) values(0,'0','1','3','0');
        insert into key_table4 (id,function,channel,type,varNum) values(1,'5','2','0','0');
        update keyOherData set timeEnable=1, time=300 where oindex=4;")

run_velkctl(0 show "${project}")
expect_contains("${out}" "枚举变量区\nE1\tAscii\t2\t'中文', 'a\\b'\nE2\tAscii\t1\t''\n")
expect_contains("${out}" "普通变量区\nV1\t0\t0\t0\t保存\nV2\t0\t0\t0\t保存\nV3\t1\t0\t100\t保存\n")
expect_contains("${out}" "网络连接\nTCP1\t0.0.0.0\t0\n")
expect_contains("${out}" "UDP1\t192.168.1.165\t4800\n")
expect_contains("${out}" "[4] 按键2 弹起\n")
expect_contains("${out}" "时间：300ms\n功能：关闭    超时时间：5000ms    超时发送：不发送\n追加指令：\n")
string(REGEX MATCHALL "\n\\[[0-9]+\\]" slots "${out}")
list(LENGTH slots slot_count)
if(NOT slot_count EQUAL 1)
    message(FATAL_ERROR "expected only slot 4 to be listed:\n${out}")
endif()

run_velkctl(0 commands "${project}")
expect_contains("${out}" [[QM-PANEL-setenum-1-ascii-\xd6\xd0\xce\xc4#a\\b]])
expect_contains("${out}" "QM-PANEL-setvar-3-1-0-100-save\n")
string(REGEX MATCH "[^ -~\n]" unprintable "${out}")
if(NOT unprintable STREQUAL "")
    message(FATAL_ERROR "commands printed a byte outside 0x20..0x7e")
endif()

# File and usage errors: status 1, a message on stderr, nothing on stdout.
file(WRITE "${WORK}/notes.db" "plain text, not a project file, long enough to have a header..........")
foreach(args "show;${WORK}/missing.db" "show;${WORK}/notes.db" "commands;${WORK}/notes.db" "new;${WORK}/notes.db"
             "new;${WORK}" "show" "new;a.db;b.db")
    run_velkctl(1 ${args})
    if(NOT out STREQUAL "" OR err STREQUAL "")
        message(FATAL_ERROR "velkctl ${args}: stdout '${out}', stderr '${err}'")
    endif()
endforeach()
file(READ "${WORK}/notes.db" notes)
expect_contains("${notes}" "plain text, not a project file")

# Every subcommand explains itself, --version names the version, and unknown options and
# subcommands end with status 1 and a message naming them.
foreach(sub new show commands write read lan learn-ir export import check diff)
    run_velkctl(0 ${sub} --help)
    expect_contains("${out}" "Usage: velkctl ${sub} ")
endforeach()
run_velkctl(0 --help)
foreach(sub new show commands write read lan learn-ir export import check diff)
    expect_contains("${out}" "  ${sub} ")
endforeach()
run_velkctl(0 --version)
if(NOT out STREQUAL "velkctl ${VERSION}\n")
    message(FATAL_ERROR "velkctl --version printed '${out}', expected 'velkctl ${VERSION}'")
endif()
foreach(args "show;${project};--bogus" "frob" "write;${project};--panel;1.2.3.4:0" "lan;--ip;1.2.3" "")
    run_velkctl(1 ${args})
    if(NOT out STREQUAL "" OR err STREQUAL "")
        message(FATAL_ERROR "velkctl ${args}: stdout '${out}', stderr '${err}'")
    endif()
endforeach()
expect_contains("${err}" "Usage: velkctl")
run_velkctl(1 show "${project}" --bogus)
expect_contains("${err}" "--bogus")
run_velkctl(1 frob)
expect_contains("${err}" "frob")
# A mistyped command is named with the command it most likely meant; a word far from every
# command is named alone.
run_velkctl(1 wirte "${project}")
expect_contains("${err}" "velkctl: unknown command 'wirte' (did you mean 'write'?)")
run_velkctl(1 shwo "${project}")
expect_contains("${err}" "(did you mean 'show'?)")
run_velkctl(1 frobnicate)
expect_contains("${err}" "velkctl: unknown command 'frobnicate'; velkctl --help")

# A project file cannot come from standard input: every command that reads one says so.
foreach(sub show commands export write)
    run_velkctl(1 ${sub} -)
    expect_contains("${err}" "velkctl: a project file cannot come from standard input")
endforeach()

# What standard output could not take is told, not only in the status (a full disk: /dev/full).
foreach(sub show commands export)
    execute_process(COMMAND "${VELKCTL}" ${sub} "${project}" RESULT_VARIABLE status OUTPUT_FILE /dev/full
                    ERROR_VARIABLE err)
    if(NOT status EQUAL 1)
        message(FATAL_ERROR "velkctl ${sub} into /dev/full ended with ${status}: ${err}")
    endif()
    expect_contains("${err}" "velkctl: cannot write to standard output: No space left on device")
endforeach()
