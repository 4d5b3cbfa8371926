#pragma once

class QApplication;

/** The one application object of a widget test run, created on first use (offscreen). */
QApplication& TestApplication();
