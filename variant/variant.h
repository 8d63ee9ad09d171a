#ifndef VARIANT_H
#define VARIANT_H

// Which of the two programs is running. Behaviour that differs between them
// asks isClassic(); the classic program's main sets it before anything else.
class Variant
{
public:
    static bool isClassic();
    static void setClassic(bool classic);
    static const char *programName();
};

#endif
