#include "ui/form1.h"
Form1::Form1(QWidget* parent) : QWidget(parent) { setWindowTitle("Quillmark"); }
