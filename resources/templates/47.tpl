<!-- default row 47: written with its page kind -->
