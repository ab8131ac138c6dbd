<!-- default row 52: written with its page kind -->
