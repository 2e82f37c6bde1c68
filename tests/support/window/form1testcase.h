// A test class over a fresh Form1Fixture for every test function, whose
// scripted prompts must all have been used when the function ends.
#pragma once

#include "support/window/form1fixture.h"

#include <QObject>

#include <memory>

class Form1TestCase : public QObject {
    Q_OBJECT

protected:
    std::unique_ptr<Form1Fixture> f;

private slots:
    void init();
    void cleanup();
};
