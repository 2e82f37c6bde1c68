#include "support/window/form1testcase.h"

#include <QTest>

void Form1TestCase::init()
{
    f = std::make_unique<Form1Fixture>();
}

void Form1TestCase::cleanup()
{
    if (f)
        QVERIFY2(f->prompts.done(), qPrintable(f->prompts.problems()));
    f.reset();
}
