"""The end-to-end harness: Wine prefixes per host class, a virtual display, the robot
and the records that the tests assert on."""
