#include "cli/CliArguments.h"

#include "cli/CliErrors.h"

#include <QCommandLineParser>

#include <optional>
#include <utility>

namespace {

struct CommandSpec
{
    const char16_t* name;
    CliCommand command;
    qsizetype minOperands;
    qsizetype maxOperands;
};

constexpr CommandSpec Commands[] = {
    {u"list", CliCommand::List, 1, 1},     {u"show", CliCommand::Show, 2, 2},
    {u"export", CliCommand::Export, 1, 2}, {u"add", CliCommand::Add, 2, 2},
    {u"done", CliCommand::Done, 2, 2},     {u"rm", CliCommand::Remove, 2, 2},
    {u"import", CliCommand::Import, 2, 2}, {u"passwd", CliCommand::Passwd, 1, 1},
};

const CommandSpec* findCommand(const QString& name)
{
    for (const CommandSpec& spec : Commands) {
        if (name == QStringView(spec.name))
            return &spec;
    }
    return nullptr;
}

int parsePriority(const QString& value)
{
    if (value.size() == 1 && value.front() >= u'0' && value.front() <= u'3')
        return value.front().unicode() - u'0';
    throw UsageError(QStringLiteral("--priority 只接受 0 到 3: ") + value);
}

// An option the parser names without its dashes, as the user typed it.
QString asTyped(const QString& name, const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        const QString option = argument.section(u'=', 0, 0);
        if (option.startsWith(u'-') && QStringView(option).mid(option.startsWith(u"--") ? 2 : 1) == name)
            return option;
    }
    return name;
}

void requireCommand(bool allowed, const QString& option)
{
    if (!allowed)
        throw UsageError(QStringLiteral("此命令不接受选项 ") + option);
}

} // namespace

CliRequest parseCliArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    // "-dash" is one unknown option, not four short ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption passwordStdin(QStringLiteral("password-stdin"));
    const QCommandLineOption done(QStringLiteral("done"));
    const QCommandLineOption priority(QStringLiteral("priority"), QString(), QStringLiteral("N"));
    const QCommandLineOption encoding(QStringLiteral("encoding"), QString(), QStringLiteral("E"));
    const QCommandLineOption force(QStringLiteral("force"));
    const QCommandLineOption strong(QStringLiteral("strong"));
    const QCommandLineOption classic(QStringLiteral("classic"));
    parser.addOptions({help, version, json, passwordStdin, done, priority, encoding, force, strong, classic});

    CliRequest request;
    const bool parsed = parser.parse(QStringList{QStringLiteral("quillet-cli")} + arguments);
    if (parser.isSet(help)) {
        request.help = true;
        return request;
    }
    if (parser.isSet(version)) {
        request.version = true;
        return request;
    }
    if (!parsed) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            throw UsageError(QStringLiteral("未知的选项 ") + asTyped(unknown.constFirst(), arguments));
        // The one other failure: a valued option last, without its value.
        if (arguments.constLast() == u"--encoding")
            throw UsageError(QStringLiteral("--encoding 后缺少编码"));
        throw UsageError(QStringLiteral("--priority 后缺少优先级"));
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        throw UsageError(QStringLiteral("缺少命令"));
    const CommandSpec* spec = findCommand(positional.front());
    if (!spec)
        throw UsageError(QStringLiteral("未知的命令 ") + positional.front());
    request.command = spec->command;
    request.operands = positional.mid(1);
    if (request.operands.size() < spec->minOperands || request.operands.size() > spec->maxOperands)
        throw UsageError(QStringLiteral("命令 ") + positional.front() + QStringLiteral(" 的参数个数不对"));

    request.passwordStdin = parser.isSet(passwordStdin);
    request.json = parser.isSet(json);
    requireCommand(!request.json || spec->command == CliCommand::List, QStringLiteral("--json"));
    request.force = parser.isSet(force);
    const bool writes = spec->command != CliCommand::List && spec->command != CliCommand::Show &&
                        spec->command != CliCommand::Export;
    requireCommand(!request.force || writes, QStringLiteral("--force"));
    request.done = parser.isSet(done);
    requireCommand(!request.done || spec->command == CliCommand::Add, QStringLiteral("--done"));
    if (parser.isSet(priority)) {
        requireCommand(spec->command == CliCommand::Add, QStringLiteral("--priority"));
        request.priority = parsePriority(parser.value(priority));
    }
    if (parser.isSet(encoding)) {
        requireCommand(spec->command == CliCommand::Export, QStringLiteral("--encoding"));
        const QString name = parser.value(encoding);
        const std::optional<TextFile::Encoding> chosen = TextFile::encodingByName(name);
        if (!chosen)
            throw UsageError(QStringLiteral("--encoding 只接受 utf-8 或 gb18030: ") + name);
        request.encoding = *chosen;
    }
    for (const auto& [option, kind] :
         {std::pair{&strong, Protection::Kind::Strong}, std::pair{&classic, Protection::Kind::Classic}}) {
        if (!parser.isSet(*option))
            continue;
        const QString name = QStringLiteral("--") + option->names().constFirst();
        requireCommand(spec->command == CliCommand::Passwd, name);
        if (request.protection)
            throw UsageError(QStringLiteral("--strong 和 --classic 只能选一个"));
        request.protection = kind;
    }
    return request;
}

QString cliUsageText()
{
    return QStringLiteral(
        "用法: quillet-cli 命令 文件 [参数] [选项]\n"
        "\n"
        "命令:\n"
        "  list FILE [--json]                       列出记事本: 序号、[x] 或 [ ]、优先级、标题\n"
        "  show FILE N                              显示第 N 条记事本的全文 (从 1 开始计数)\n"
        "  export FILE [OUT] [--encoding E]         把文本报告 (CR LF) 写到 OUT 或标准输出\n"
        "  add FILE TEXT [--priority 0-3] [--done]  添加一条记事本; FILE 不存在时新建\n"
        "  done FILE N                              切换第 N 条记事本的完成标记\n"
        "  rm FILE N                                删除第 N 条记事本\n"
        "  import FILE OTHER                        把 OTHER 的记事本追加到 FILE 的末尾\n"
        "  passwd FILE [--strong|--classic]         设置、更改或删除 FILE 的密码\n"
        "\n"
        "选项:\n"
        "  --password-stdin  从标准输入读取密码, 每行一个, 不在终端上询问\n"
        "  --json            (list) 输出一个 JSON 数组: {\"text\", \"priority\": 0-3, \"done\"}\n"
        "  --priority N      (add) 优先级: 0 低, 1 标准 (默认), 2 高, 3 最高\n"
        "  --done            (add) 标记为已完成\n"
        "  --encoding E      (export) 报告的编码: utf-8 或 gb18030; 默认为系统区域设置的编码\n"
        "  --strong          (passwd) 强保护: 不知道密码就读不出记事本; 新设密码时的默认\n"
        "  --classic         (passwd) 经典保护: 旧版本 Quillet 也能打开, 但挡不住拿到文件的人\n"
        "                    不加这两个选项时, 有密码的文件保持原来的保护方式\n"
        "  --force           (更改文件的命令) 即使文件已在 Quillet 窗口中打开也写入;\n"
        "                    该窗口以后保存时会先询问\n"
        "  -h, --help        显示本帮助\n"
        "  --version         显示版本\n"
        "  --                其后的参数都不是选项 (用于以 \"-\" 开头的 TEXT)\n"
        "\n"
        "密码按以下顺序询问 (使用 --password-stdin 时每个密码占一行):\n"
        "  import  先是 FILE 的密码 (FILE 有密码时), 然后是 OTHER 的密码 (OTHER 有密码时)\n"
        "  passwd  旧密码 (文件没有密码时为空行), 新密码, 再次输入新密码;\n"
        "          新密码为空时删除密码\n"
        "  其他    FILE 的密码 (FILE 有密码时)\n"
        "\n"
        "更改文件的命令 (add, done, rm, import, passwd) 从读取到写入都锁住 FILE:\n"
        "  另一个 quillet-cli 正在更改它时稍等片刻; 文件已在 Quillet 窗口中打开,\n"
        "  或在读取之后被其他程序更改时, 不写入并以状态 2 退出\n"
        "\n"
        "退出状态: 0 成功, 1 用法错误, 2 失败\n");
}
