# Gives a manual page from help2man Chinese section headings, and text that groff sets ragged-right:
# justified, a line of Chinese with a few blanks in it is stretched into wide gaps. help2man's own
# translations need the zh_CN locale, which a build machine seldom has; and it would take a Chinese
# --name for Latin-1, so the page's summary comes here in place of "@SUMMARY@".
#   cmake -DPAGE=file.1 -DSUMMARY=text -P ChineseManPage.cmake
cmake_minimum_required(VERSION 3.20)
file(READ "${PAGE}" text)
foreach(pair
        "NAME=名称" "SYNOPSIS=概述" "DESCRIPTION=描述" "OPTIONS=选项" "\"REPORTING BUGS\"=报告错误"
        "COPYRIGHT=版权" "\"SEE ALSO\"=参见" "AUTHOR=作者" "ENVIRONMENT=环境" "FILES=文件" "EXAMPLES=示例")
    string(FIND "${pair}" "=" split)
    string(SUBSTRING "${pair}" 0 ${split} english)
    math(EXPR split "${split} + 1")
    string(SUBSTRING "${pair}" ${split} -1 chinese)
    string(REPLACE "\n.SH ${english}\n" "\n.SH ${chinese}\n" text "${text}")
endforeach()
string(REPLACE "@SUMMARY@" "${SUMMARY}" text "${text}")
string(REPLACE "\"User Commands\"" "\"用户命令\"" text "${text}")
string(REGEX REPLACE "(\n\\.TH [^\n]*\n)" "\\1.ad l\n.nh\n" text "${text}")
file(WRITE "${PAGE}" "${text}")
