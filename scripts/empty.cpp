// Placeholder so that an empty folder still makes a library.
