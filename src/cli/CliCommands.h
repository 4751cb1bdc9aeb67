#pragma once

struct CliRequest;
class PasswordSource;

// The commands of quillet-cli. Each throws CliFailure (status 2) or UsageError (status 1) when it fails;
// a command that fails writes nothing.
namespace CliCommands {

void run(const CliRequest& request);

void list(const CliRequest& request, PasswordSource& passwords);
void show(const CliRequest& request, PasswordSource& passwords);
void exportReport(const CliRequest& request, PasswordSource& passwords);

void add(const CliRequest& request, PasswordSource& passwords);
void toggleDone(const CliRequest& request, PasswordSource& passwords);
void remove(const CliRequest& request, PasswordSource& passwords);
void import(const CliRequest& request, PasswordSource& passwords);
void passwd(const CliRequest& request, PasswordSource& passwords);

} // namespace CliCommands
