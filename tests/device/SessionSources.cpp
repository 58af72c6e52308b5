// The sensor initialisation table lives with the session but only needs the device layer;
// this program links the device layer alone, so the table's source is built in here.
#include "session/SensorInitTable.cpp"
